#pragma once

#include "system/core/download.h"

#include <QFile>
#include <QStringList>

namespace quillorn::test {

// Stands in for the user at the download dialog: answers the where-to question from `choice`
// and presses Cancel on the progress window once bytes arrive when `cancelOnData` is set.
class ScriptedDownloadView : public system::DownloadView {
public:
    system::DownloadChoice choice = system::DownloadChoice::Save;
    bool cancelOnData = false;

    QStringList questions; // the destinations asked about
    int progressShown = 0;
    int progressHidden = 0;
    qint64 lastReceived = -1;
    qint64 lastTotal = -1;
    bool partSeen = false; // a .part file beside the destination while bytes came in

    system::DownloadChoice AskWhere(const QString&, const QString&,
                                    const QString& destination) override {
        questions << destination;
        return choice;
    }
    void ShowProgress(const QString&, const QString& destination,
                      std::function<void()> cancel) override {
        ++progressShown;
        destination_ = destination;
        cancel_ = std::move(cancel);
    }
    void SetProgress(qint64 received, qint64 total) override {
        lastReceived = received;
        lastTotal = total;
        partSeen = partSeen || QFile::exists(destination_ + QStringLiteral(".part"));
        if (cancelOnData && received > 0 && cancel_)
            cancel_();
    }
    void HideProgress() override {
        ++progressHidden;
        cancel_ = nullptr;
    }

private:
    QString destination_;
    std::function<void()> cancel_;
};

} // namespace quillorn::test
