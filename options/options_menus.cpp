#include "options/options_menus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace quillorn::options {

namespace {
const char* const kUnits[] = {QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "&pixels"),
                              QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "&twips"),
                              QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "&mm"),
                              QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "&inch")};
const char* const kOrientations[] = {
    QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "&Portrait"),
    QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "&Landscape"),
    QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "&Upside-down"),
    QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "Seascape (opposite landscape)")};
const char* const kMedia[] = {
    "11x17",  "A3",
    "A4",     "A5",
    "B4",     "B5",
    "Ledger", "Legal",
    "Letter", QT_TRANSLATE_NOOP("quillorn::options::OptionsMenus", "Custom...")};
} // namespace

OptionsMenus::OptionsMenus(Options& options, QObject* parent)
    : QObject(parent), options_(options),
      units_(makeGroup(kUnits, kUnitsCount, "units", &Options::units)),
      orientation_(
          makeGroup(kOrientations, kOrientationCount, "orientation", &Options::orientation)),
      media_(makeGroup(kMedia, kPaperCount, "media", &Options::media)),
      safer_(makeToggle(tr("Sa&fer"), "saferAction", &Options::safer)),
      boundingBox_(
          makeToggle(tr("Show Bounding Bo&x"), "boundingBoxAction", &Options::boundingBox)),
      overrideMedia_(makeToggle(tr("&Override Default paper size"), "overrideMediaAction",
                                &Options::overrideDefaultMedia)) {
    connect(orientation_, &QActionGroup::triggered, this, &OptionsMenus::orientationChosen);
    connect(boundingBox_, &QAction::toggled, this, &OptionsMenus::boundingBoxShown);
}

template <typename Entry>
QActionGroup* OptionsMenus::makeGroup(const char* const captions[], int count,
                                      const char* namePrefix, Entry Options::*field) {
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (int i = 0; i < count; ++i) {
        QAction* entry = group->addAction(tr(captions[i]));
        entry->setObjectName(QLatin1String(namePrefix) + QString::number(i));
        entry->setCheckable(true);
        entry->setData(i);
    }
    connect(group, &QActionGroup::triggered, this, [this, field](QAction* entry) {
        options_.*field = static_cast<Entry>(entry->data().toInt());
    });
    return group;
}

QAction* OptionsMenus::makeToggle(const QString& caption, const char* name, bool Options::*field) {
    auto* entry = new QAction(caption, this);
    entry->setObjectName(QLatin1String(name));
    entry->setCheckable(true);
    connect(entry, &QAction::toggled, this, [this, field](bool on) { options_.*field = on; });
    return entry;
}

void OptionsMenus::addOptionsEntries(QMenu* menu) {
    menu->addMenu(tr("&Units"))->addActions(units_->actions());
    menu->addMenu(tr("&Orientation"))->addActions(orientation_->actions());
    menu->addSeparator();
    menu->addAction(safer_);
    menu->addAction(boundingBox_);
}

void OptionsMenus::addMediaEntries(QMenu* menu) {
    menu->addActions(media_->actions());
    menu->addSeparator();
    menu->addAction(overrideMedia_);
}

void OptionsMenus::showOptions() {
    const auto mark = [](QActionGroup* group, int index) {
        const QList<QAction*> entries = group->actions();
        if (index >= 0 && index < entries.size())
            entries[index]->setChecked(true);
    };
    mark(units_, static_cast<int>(options_.units));
    mark(orientation_, static_cast<int>(options_.orientation));
    mark(media_, static_cast<int>(options_.media));
    // Copied first: setting a mark writes its field back.
    const bool safer = options_.safer;
    const bool boundingBox = options_.boundingBox;
    const bool overrideMedia = options_.overrideDefaultMedia;
    safer_->setChecked(safer);
    boundingBox_->setChecked(boundingBox);
    overrideMedia_->setChecked(overrideMedia);
}

} // namespace quillorn::options
