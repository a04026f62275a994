#include "options/options_menus.h"

#include <QAction>
#include <QMenu>

namespace quillorn::options {

namespace {

// Clears every mark of the group, marks entry Index and sets the group's field to it.
void SelectInGroup(const QList<QAction*>& group, int Index, std::int32_t& field) {
    if (Index < 0 || Index >= group.size())
        return;
    for (QAction* entry : group)
        entry->setChecked(false);
    group[Index]->setChecked(true);
    field = Index;
}

void Toggle(QAction* entry, bool& field) {
    entry->setChecked(!entry->isChecked());
    field = entry->isChecked();
}

} // namespace

OptionsMenus::OptionsMenus(Options& options, QObject* parent) : QObject(parent), options_(options) {
    const char* units[] = {"&pixels", "&twips", "&mm", "&inch"};
    for (int i = 0; i < 4; ++i)
        mnuOptionsUnitsOpt_ << NewEntry(QString::fromUtf8(units[i]), "mnuOptionsUnitsOpt", i);
    const char* orientations[] = {"&Portrait", "&Landscape", "&Upside-down",
                                  "Seascape (opposite landscape)"};
    for (int i = 0; i < 4; ++i)
        mnuOrientOpt_ << NewEntry(QString::fromUtf8(orientations[i]), "mnuOrientOpt", i);
    mnuOptionsSafer_ = NewEntry(QStringLiteral("Sa&fer"), "mnuOptionsSafer");
    mnuOptionsShowBounding_ =
        NewEntry(QStringLiteral("Show Bounding Bo&x"), "mnuOptionsShowBounding");
    const char* media[] = {"11x17", "A3",     "A4",    "A5",     "B4",
                           "B5",    "Ledger", "Legal", "Letter", "Custom..."};
    for (int i = 0; i < 10; ++i)
        mnuMediaType_ << NewEntry(QString::fromUtf8(media[i]), "mnuMediaType", i);
    mnuMediaOverride_ =
        NewEntry(QStringLiteral("&Override Default paper size"), "mnuMediaOverride");
    ConnectEntries();
}

QAction* OptionsMenus::NewEntry(const QString& caption, const char* name, int index) {
    auto* entry = new QAction(caption, this);
    entry->setObjectName(QString::fromUtf8(name));
    entry->setCheckable(true);
    if (index >= 0)
        entry->setData(index);
    return entry;
}

void OptionsMenus::ConnectEntries() {
    for (int i = 0; i < mnuOptionsUnitsOpt_.size(); ++i)
        connect(mnuOptionsUnitsOpt_[i], &QAction::triggered, this,
                [this, i] { mnuOptionsUnitsOpt_Click(i); });
    for (int i = 0; i < mnuOrientOpt_.size(); ++i)
        connect(mnuOrientOpt_[i], &QAction::triggered, this, [this, i] { mnuOrientOpt_Click(i); });
    for (int i = 0; i < mnuMediaType_.size(); ++i)
        connect(mnuMediaType_[i], &QAction::triggered, this, [this, i] { mnuMediaType_Click(i); });
    connect(mnuOptionsSafer_, &QAction::triggered, this,
            [this] { ToggleChosen(mnuOptionsSafer_, &OptionsMenus::mnuOptionsSafer_Click); });
    connect(mnuOptionsShowBounding_, &QAction::triggered, this, [this] {
        ToggleChosen(mnuOptionsShowBounding_, &OptionsMenus::mnuOptionsShowBounding_Click);
    });
    connect(mnuMediaOverride_, &QAction::triggered, this,
            [this] { ToggleChosen(mnuMediaOverride_, &OptionsMenus::mnuMediaOverride_Click); });
}

void OptionsMenus::ToggleChosen(QAction* entry, void (OptionsMenus::*handler)()) {
    entry->setChecked(!entry->isChecked());
    (this->*handler)();
}

void OptionsMenus::AddOptionsEntries(QMenu* mnuOptions) {
    mnuOptionsUnits_ = mnuOptions->addMenu(QStringLiteral("&Units"));
    mnuOptionsUnits_->setObjectName(QStringLiteral("mnuOptionsUnits"));
    mnuOptionsUnits_->addActions(mnuOptionsUnitsOpt_);
    mnuOptionsOrient_ = mnuOptions->addMenu(QStringLiteral("&Orientation"));
    mnuOptionsOrient_->setObjectName(QStringLiteral("mnuOptionsOrient"));
    mnuOptionsOrient_->addActions(mnuOrientOpt_);
    mnuOptions->addSeparator()->setObjectName(QStringLiteral("mnuOptionsBar0"));
    mnuOptions->addAction(mnuOptionsSafer_);
    mnuOptions->addAction(mnuOptionsShowBounding_);
}

void OptionsMenus::AddMediaEntries(QMenu* mnuMedia) {
    mnuMedia->addActions(mnuMediaType_);
    mnuMedia->addSeparator()->setObjectName(QStringLiteral("mnuMediaBar1"));
    mnuMedia->addAction(mnuMediaOverride_);
}

void OptionsMenus::mnuOptionsUnitsOpt_Click(int Index) {
    SelectInGroup(mnuOptionsUnitsOpt_, Index, options_.Units);
}

void OptionsMenus::mnuOrientOpt_Click(int Index) {
    SelectInGroup(mnuOrientOpt_, Index, options_.Orientation);
}

void OptionsMenus::mnuMediaType_Click(int Index) {
    SelectInGroup(mnuMediaType_, Index, options_.Media);
}

void OptionsMenus::mnuOptionsSafer_Click() {
    Toggle(mnuOptionsSafer_, options_.Safer);
}

void OptionsMenus::mnuOptionsShowBounding_Click() {
    Toggle(mnuOptionsShowBounding_, options_.BoundingBox);
}

void OptionsMenus::mnuMediaOverride_Click() {
    Toggle(mnuMediaOverride_, options_.OverrideDefaultMedia);
}

} // namespace quillorn::options
