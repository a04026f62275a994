#pragma once

#include "base/user_dialogs.h"

#include <QPageSize>
#include <QString>
#include <QStringList>

namespace quillorn::system {

// One document on its way to a printer through CUPS.
struct PrintJob {
    QString file;    // handed over as it is: PostScript, EPS or PDF
    QString title;   // the job's name in the printer's queue
    QString printer; // the print queue
    int copies = 1;
    QString pageRanges; // "1-2,4"; empty: every page
    QPageSize paper;    // invalid: the printer's own
};

// The job's number in its queue, or why CUPS did not take it.
struct SubmittedJob {
    int id = 0;
    QString error;
};

// Hands the job to the print system (the CUPS scheduler CUPS_SERVER or the user's client.conf
// name, else the system's).
SubmittedJob submitPrintJob(const PrintJob& job);

// The print queues CUPS offers; none when it has none or cannot be reached.
QStringList printerNames();

// The paper Page Setup chose and the printer last printed on, kept while the program runs.
struct PrintSettings {
    QString printer;
    QPageSize paper;
};

// Page Setup: the paper chosen there is kept for Print.
void setUpPage(UserDialogs& dialogs, PrintSettings& settings);

// Print: asks for the printer, the copies and the pages, and hands the file to CUPS; says in a
// message box why that could not be done. The status text for a job sent, else nothing.
QString printDocument(const QString& path, UserDialogs& dialogs, PrintSettings& settings);

} // namespace quillorn::system
