#pragma once

#include "gs/runner.h"

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace quillorn::gs {

// Runs every Ghostscript run in a worker process of its own (quillorn-gs), so that a run can be
// stopped at once, a runaway document is bounded by an address-space limit, and a crash of the
// library takes only the worker with it. The worker is in its own process group and dies with
// the program. One worker is kept started ahead of need, with the library loaded. Several runs
// can go at once, each in its worker; stop() ends all of them.
class WorkerRunner final : public QObject, public Runner {
    Q_OBJECT
public:
    // The worker program; the default is found next to this program or in its libexec folder.
    explicit WorkerRunner(QString workerPath = defaultWorkerPath(), QObject* parent = nullptr);
    ~WorkerRunner() override;

    static QString defaultWorkerPath();
    // The limit of a worker's address space: QUILLORN_MEMORY_LIMIT_MB when set, otherwise half
    // of the physical memory and at most 8 GB.
    static qint64 defaultMemoryLimit();

    // The libraries a worker tries; empty for the defaults. Tests point it at stand-ins.
    void setLibraryCandidates(const QStringList& candidates);
    void setMemoryLimit(qint64 bytes) { memoryLimit_ = bytes; }
    qint64 memoryLimit() const override { return memoryLimit_; }
    // For tests: the worker reports the argument vector it received as a message.
    void setEcho(bool echo) { echo_ = echo; }

    // Starts a worker now, so that the next run finds the library loaded.
    void prepare() override;

    using Runner::run;
    RunResult run(const RunRequest& request, MessageSink& sink) override;
    std::vector<RunResult> runTogether(const std::vector<RunRequest>& requests,
                                       const std::vector<MessageSink*>& sinks) override;
    bool runsTogether() const override { return true; }
    bool startInBackground(const RunRequest& request, MessageSink& sink,
                           std::function<void(const RunResult&)> done) override;
    void stopBackground() override;
    bool isRunningInBackground() const override { return background_ != nullptr; }
    void stop() override;
    bool isRunning() const override { return !running_.empty(); }

Q_SIGNALS:
    void runningChanged(bool running);

private:
    struct Job;
    struct Background;
    std::unique_ptr<QProcess> startWorker();
    // Hands the job's request to a worker, the spare one if takeSpare and there is one, and
    // relays what the worker says for as long as context lives.
    void launch(Job& job, bool takeSpare, QObject* context);
    // A private folder for one run in temp; null when none can be made.
    static std::unique_ptr<QTemporaryDir> privateFolder(const QString& temp);
    static void killGroup(QProcess& process);

    QString workerPath_;
    QStringList candidates_;
    qint64 memoryLimit_;
    bool echo_ = false;
    std::unique_ptr<QProcess> spare_;
    std::vector<Job*> running_;
    std::unique_ptr<Background> background_;
};

} // namespace quillorn::gs
