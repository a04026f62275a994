#pragma once

#include "gs/runner.h"

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <memory>
#include <vector>

namespace quillorn::gs {

class WorkerJob;

// Runs every Ghostscript run in a worker process of its own (quillorn-gs), so that a run can be
// stopped at once, a runaway document is bounded by an address-space limit, and a crash of the
// library takes only the worker with it. The worker is in its own process group and dies with
// the program. One worker is kept started ahead of need, with the library loaded, for the next
// run the user waits for.
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
    void prepare();
    // Whether a run the user waited for leaves a worker ready for the next (on by default). Off
    // once no run is to follow: a worker started only to be killed delays the program's end.
    void setKeepReady(bool keep) { keepReady_ = keep; }

    using Runner::start;
    std::unique_ptr<RunJob> start(std::vector<RunRequest> requests, std::vector<MessageSink*> sinks,
                                  Urgency urgency) override;
    bool runsTogether() const override { return true; }
    void stop() override;
    bool isRunning() const override;

private:
    friend class WorkerJob;
    std::unique_ptr<QProcess> startWorker();
    // The worker kept ready, when there is one; a new one otherwise.
    std::unique_ptr<QProcess> takeWorker(bool spare);
    void jobEnded(const WorkerJob* job, bool prepareNext);
    // Runs of every job whose worker has not ended.
    qsizetype runsGoing() const;

    QString workerPath_;
    QStringList candidates_;
    qint64 memoryLimit_;
    bool echo_ = false;
    bool keepReady_ = true;
    std::unique_ptr<QProcess> spare_;
    std::vector<QPointer<WorkerJob>> jobs_; // every job that has not ended
};

} // namespace quillorn::gs
