#include "system/core/printing.h"

#include "gs/document_info.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cups/cups.h>

namespace quillorn::system {

namespace {

// The options a job carries, freed with it.
class JobOptions {
public:
    JobOptions() = default;
    ~JobOptions() { cupsFreeOptions(count_, options_); }
    JobOptions(const JobOptions&) = delete;
    JobOptions& operator=(const JobOptions&) = delete;

    void add(const char* name, const QString& value) {
        count_ = cupsAddOption(name, value.toUtf8().constData(), count_, &options_);
    }
    int count() const { return count_; }
    cups_option_t* options() const { return options_; }

private:
    int count_ = 0;
    cups_option_t* options_ = nullptr;
};

QString lastCupsError() {
    return QString::fromUtf8(cupsLastErrorString());
}

} // namespace

SubmittedJob submitPrintJob(const PrintJob& job) {
    // CUPS reports a missing file only as a job it cancelled itself.
    if (!QFileInfo(job.file).isFile())
        return {0, QCoreApplication::translate("quillorn::system", "cannot read ") + job.file};
    JobOptions options;
    options.add("copies", QString::number(job.copies));
    if (!job.pageRanges.isEmpty())
        options.add("page-ranges", job.pageRanges);
    if (job.paper.isValid())
        options.add("media", job.paper.key());
    const int id =
        cupsPrintFile(job.printer.toUtf8().constData(), QFile::encodeName(job.file).constData(),
                      job.title.toUtf8().constData(), options.count(), options.options());
    if (id == 0)
        return {0, lastCupsError()};
    return {id, {}};
}

QStringList printerNames() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QString::fromUtf8(dests[i].name);
    cupsFreeDests(count, dests);
    return names;
}

void setUpPage(UserDialogs& dialogs, PrintSettings& settings) {
    if (const auto paper =
            dialogs.pageSetupDialog({QCoreApplication::translate("quillorn::system", "Page Setup"),
                                     settings.printer, settings.paper}))
        settings.paper = *paper;
}

QString printDocument(const QString& path, UserDialogs& dialogs, PrintSettings& settings) {
    const QString noPrinter = QCoreApplication::translate(
        "quillorn::system", "There is no printer to print on. Set one up in the system's printer "
                            "settings (CUPS), then print again.");
    if (printerNames().isEmpty()) {
        dialogs.message(noPrinter, Icon::Warning);
        return {};
    }
    const std::optional<PrintAnswer> answer = dialogs.printDialog(
        {QCoreApplication::translate("quillorn::system", "Print"), settings.printer, settings.paper,
         gs::cheapPageCount(path).value_or(0)});
    if (!answer)
        return {};
    if (answer->printer.isEmpty()) {
        dialogs.message(noPrinter, Icon::Warning);
        return {};
    }
    settings.printer = answer->printer; // Page Setup alone chooses the paper kept
    const SubmittedJob job = [&] {
        const BusyCursor busy(dialogs); // the scheduler may be slow to answer
        return submitPrintJob({path, QFileInfo(path).fileName(), answer->printer, answer->copies,
                               answer->pageRanges, answer->paper});
    }();
    if (job.id == 0) {
        dialogs.message(
            QCoreApplication::translate("quillorn::system", "Could not print %1 on %2: %3")
                .arg(QFileInfo(path).fileName(), answer->printer, job.error),
            Icon::Critical);
        return {};
    }
    return QCoreApplication::translate("quillorn::system", "Sent to %1 as job %2")
        .arg(answer->printer)
        .arg(job.id);
}

} // namespace quillorn::system
