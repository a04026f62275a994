#include "gs/worker_runner.h"

#include "base/failure.h"
#include "base/message_log.h"
#include "base/temp_files.h"
#include "gs/worker_protocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>
#include <optional>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace quillorn::gs {

using protocol::lcWorker;
using protocol::Tag;

namespace {

constexpr qint64 kGiB = 1024LL * 1024 * 1024;

// The worker and whatever it started.
void killGroup(QProcess& process) {
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.kill();
}

// The messages of one run that reach the log, and the most a run may write before it is ended.
constexpr qint64 kRelayedPerRun = qint64(1) << 20;
constexpr qint64 kMostPerRun = qint64(64) << 20;

// Ghostscript's own words when an allocation failed.
bool saysOutOfMemory(const QString& output) {
    return output.contains(QLatin1String("VMerror"));
}

// An argument vector for the log, without the document's password.
QStringList loggable(QStringList args) {
    for (QString& arg : args)
        if (arg.startsWith(QLatin1String("-sPDFPassword=")))
            arg = QStringLiteral("-sPDFPassword=...");
    return args;
}

} // namespace

QString WorkerRunner::defaultWorkerPath() {
    const QDir here(QCoreApplication::applicationDirPath());
    QString beside = here.filePath(QStringLiteral("quillorn-gs"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(here.filePath(QStringLiteral(QUILLORN_WORKER_FROM_BINDIR)));
}

qint64 WorkerRunner::defaultMemoryLimit() {
    bool ok = false;
    const qint64 mb = qEnvironmentVariableIntValue("QUILLORN_MEMORY_LIMIT_MB", &ok);
    if (ok && mb > 0)
        return mb * 1024 * 1024;
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 8 * kGiB;
    return std::min<qint64>(8 * kGiB, static_cast<qint64>(pages) * pageSize / 2);
}

WorkerRunner::WorkerRunner(QString workerPath, QObject* parent)
    : QObject(parent), workerPath_(std::move(workerPath)), memoryLimit_(defaultMemoryLimit()) {}

WorkerRunner::~WorkerRunner() {
    stop();
    if (spare_) {
        killGroup(*spare_);
        spare_->waitForFinished(1000);
    }
}

void WorkerRunner::setLibraryCandidates(const QStringList& candidates) {
    candidates_ = candidates;
    if (spare_) {
        killGroup(*spare_);
        spare_->waitForFinished(1000);
        spare_.reset();
    }
}

std::unique_ptr<QProcess> WorkerRunner::startWorker() {
    auto process = std::make_unique<QProcess>();
    process->setProgram(workerPath_);
    process->setArguments(candidates_);
    const qint64 limit = memoryLimit_;
    const pid_t parent = ::getpid();
    // Runs in the new process before the worker starts: a group of its own (so the whole group
    // can be stopped), death with the program, and the address-space limit.
    process->setChildProcessModifier([limit, parent] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
#ifndef __SANITIZE_ADDRESS__ // AddressSanitizer reserves terabytes of address space up front
        if (limit > 0) {
            const rlimit bound{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            ::setrlimit(RLIMIT_AS, &bound);
        }
#else
        (void)limit;
#endif
    });
    process->start(QIODevice::ReadWrite);
    return process;
}

void WorkerRunner::prepare() {
    if (!spare_)
        spare_ = startWorker();
}

std::unique_ptr<QProcess> WorkerRunner::takeWorker(bool spare) {
    if (spare && spare_)
        return std::move(spare_);
    return startWorker();
}

namespace {

// One request in its worker: the process and what it has said so far.
struct Run {
    RunRequest request;
    MessageSink& sink;
    std::unique_ptr<QTemporaryDir> privateDir;
    std::unique_ptr<QProcess> process;
    RunResult result;
    OutputDecoder decoder;
    protocol::FrameReader reader;
    QString output; // the start of what Ghostscript said, to tell an allocation failure
    std::optional<int> code;
    std::optional<QString> missing;
    bool missingEntryPoint = false;
    qint64 pid = 0; // for the log: the worker's process id, gone with the process
    bool ended = false;
    bool stopped = false;
    qint64 said = 0;     // characters of messages the run wrote
    qint64 relayed = 0;  // of them, given to the sink
    qint64 withheld = 0; // of them, not
    // False once the job is gone: whoever hears a message may let the job go meanwhile.
    std::shared_ptr<bool> alive;

    Run(RunRequest r, MessageSink& s, std::shared_ptr<bool> jobAlive)
        : request(std::move(r)), sink(s), alive(std::move(jobAlive)) {}

    void drain() {
        const std::shared_ptr<bool> jobAlive = alive; // outlives this run if the job goes
        reader.feed(process->readAllStandardOutput());
        while (*jobAlive) {
            const std::optional<protocol::Frame> f = reader.next();
            if (!f)
                break;
            qCDebug(lcWorker).nospace()
                << "worker " << pid << " frame '" << static_cast<char>(f->tag) << "', "
                << f->payload.size() << " bytes";
            switch (f->tag) {
            case Tag::Out:
            case Tag::Err: {
                const QString text = decoder.decode(f->payload);
                if (output.size() < 65536)
                    output += text;
                relay(text);
                if (*jobAlive && request.onOutput)
                    request.onOutput(text);
                break;
            }
            case Tag::Arguments:
                sink.addMessage(QString::fromUtf8(f->payload).replace(u'\0', u'\n') + u'\n');
                break;
            case Tag::Pages:
                result.pages = f->payload.toInt();
                break;
            case Tag::Code:
                code = f->payload.toInt();
                break;
            case Tag::Missing:
                missingEntryPoint = f->payload.startsWith('E');
                missing = QString::fromUtf8(f->payload.mid(1));
                break;
            default:
                break;
            }
        }
    }

    // What a document prints without end must not fill the program: the log gets the first
    // kRelayedPerRun characters of a run, and a run that says more than kMostPerRun ends.
    void relay(const QString& text) {
        said += text.size();
        const qint64 room = std::max<qint64>(0, kRelayedPerRun - relayed);
        const qsizetype given = static_cast<qsizetype>(std::min<qint64>(room, text.size()));
        relayed += given;
        withheld += text.size() - given;
        if (said > kMostPerRun && result.reason.isEmpty()) {
            result.reason = QCoreApplication::translate(
                                "quillorn::gs", "Ghostscript wrote more than %1 MB of messages")
                                .arg(kMostPerRun >> 20);
            killGroup(*process);
        }
        // Last: the sink may let the job go.
        if (given > 0)
            sink.addMessage(given == text.size() ? text : text.left(given));
    }

    // Tells the log how much of the run's messages it did not get.
    void noteWithheld() {
        if (withheld > 0)
            sink.addMessage(
                QCoreApplication::translate("quillorn::gs",
                                            "\n[%1 more characters of messages of this run were "
                                            "not kept]\n")
                    .arg(withheld));
        withheld = 0;
    }

    // Asks the request's watchdog once, unless it has refused the run already; a refusal ends
    // the worker.
    void watch() {
        if (!request.watchdog || !result.reason.isEmpty() || stopped)
            return;
        result.reason = request.watchdog();
        if (!result.reason.isEmpty())
            killGroup(*process);
    }

    // How the run ended, once its worker is gone.
    void conclude(const QString& workerPath) {
        if (process->error() == QProcess::FailedToStart) {
            result.end = RunResult::End::NotStarted;
            result.failure = {
                FailureKind::Internal,
                QCoreApplication::translate("quillorn::gs",
                                            "The Ghostscript worker %1 cannot be started (%2)")
                    .arg(workerPath, process->errorString())};
        } else if (missing) {
            result.end = RunResult::End::NotStarted;
            result.failure = {missingEntryPoint ? FailureKind::EntryPointMissing
                                                : FailureKind::LibraryMissing,
                              *missing};
        } else if (stopped) {
            result.end = RunResult::End::Stopped;
        } else if (!result.reason.isEmpty()) {
            result.end = RunResult::End::Refused;
        } else if (code) {
            result.code = *code;
            result.end = !succeeded(*code) && saysOutOfMemory(output) ? RunResult::End::OutOfMemory
                                                                      : RunResult::End::Finished;
        } else if (saysOutOfMemory(output)) {
            result.end = RunResult::End::OutOfMemory;
        } else {
            result.end = RunResult::End::Crashed;
            result.signal = process->exitStatus() == QProcess::CrashExit ? process->exitCode() : 0;
        }
        qCDebug(lcWorker).nospace()
            << "worker " << pid << " gone: " << process->exitStatus() << " " << process->exitCode()
            << ", Ghostscript's code " << (code ? QString::number(*code) : QStringLiteral("none"))
            << (stopped ? ", stopped" : "") << (missing ? ", library missing" : "");
    }
};

} // namespace

// The runs of one start(), each in its worker, reported together once the last has ended.
class WorkerJob final : public RunJob {
public:
    WorkerJob(WorkerRunner& runner, Urgency urgency) : runner_(&runner), urgency_(urgency) {}
    ~WorkerJob() override {
        *alive_ = false;
        for (const std::unique_ptr<Run>& run : runs_)
            if (run->process && run->process->state() != QProcess::NotRunning) {
                run->process->disconnect(this);
                killGroup(*run->process);
                run->process->waitForFinished(2000);
            }
        if (runner_ && !ended_)
            runner_->jobEnded(this, false);
    }
    WorkerJob(const WorkerJob&) = delete;
    WorkerJob& operator=(const WorkerJob&) = delete;

    Urgency urgency() const { return urgency_; }
    bool hasEnded() const { return ended_; }
    qsizetype runsGoing() const {
        return std::count_if(runs_.begin(), runs_.end(),
                             [](const auto& run) { return run->process && !run->ended; });
    }

    void begin(std::vector<RunRequest> requests, const std::vector<MessageSink*>& sinks) {
        // Ghostscript's temporary directory is a private one of each run's own: no private
        // folder, no run, rather than one in the user's temporary directory.
        const QString temp = tempDirectory();
        for (size_t i = 0; i < requests.size(); ++i) {
            auto& run = *runs_.emplace_back(
                std::make_unique<Run>(std::move(requests[i]), *sinks.at(i), alive_));
            run.privateDir = makePrivateFolder(QStringLiteral("quillorn"));
        }
        if (std::any_of(runs_.begin(), runs_.end(),
                        [](const auto& run) { return !run->privateDir; })) {
            const Failure unusable{
                FailureKind::FileAccess,
                QCoreApplication::translate("quillorn::gs",
                                            "The temporary folder %1 cannot be used")
                    .arg(temp.isEmpty() ? qEnvironmentVariable("TMPDIR") : temp)};
            std::vector<RunResult> results(runs_.size());
            for (RunResult& result : results) {
                result.end = RunResult::End::NotStarted;
                result.failure = unusable;
            }
            runs_.clear();
            end(std::move(results));
            return;
        }
        for (const std::unique_ptr<Run>& run : runs_)
            launch(*run);
        // The next worker starts beside the runs the user waits for when a core is free for it,
        // so that it has the library loaded by the time they end and the user turns the page. Not
        // beside a page drawn ahead, which the user may be waiting for too.
        if (urgency_ == Urgency::Now && runner_->keepReady_ &&
            runner_->runsGoing() < QThread::idealThreadCount()) {
            for (const std::unique_ptr<Run>& run : runs_)
                run->process->waitForBytesWritten(0); // the requests go before the start
            runner_->prepare();
        }
        watch_.setInterval(100);
        connect(&watch_, &QTimer::timeout, this, [this] {
            for (const std::unique_ptr<Run>& run : runs_)
                if (!run->ended)
                    run->watch();
        });
        watch_.start();
    }

    void stop() override {
        for (const std::unique_ptr<Run>& run : runs_)
            if (!run->ended) {
                run->stopped = true;
                killGroup(*run->process);
            }
    }

private:
    void launch(Run& run) {
        // The worker kept ready goes to the run the user waits for, or is about to; a run ahead
        // of need leaves it for the next one.
        run.process = runner_->takeWorker(urgency_ != Urgency::Whenever);
        run.pid = run.process->processId();
        QByteArray frames;
        if (!run.request.output.isEmpty())
            frames += protocol::frame(Tag::Output, QFile::encodeName(run.request.output));
        if (runner_->echo_)
            frames.prepend(protocol::frame(Tag::Echo));
        frames += protocol::frame(Tag::TempDir, QFile::encodeName(run.privateDir->path()));
        for (const QString& arg : run.request.args)
            frames += protocol::frame(Tag::Argument, QFile::encodeName(arg));
        frames += protocol::frame(Tag::Run);
        qCDebug(lcWorker).nospace()
            << "worker " << run.pid << " sent " << frames.size() << " bytes: output "
            << run.request.output << ", arguments " << loggable(run.request.args);
        run.process->write(frames);
        run.process->closeWriteChannel();

        QProcess* process = run.process.get();
        connect(process, &QProcess::readyReadStandardOutput, this, [&run] { run.drain(); });
        // What the worker itself says on its standard error (a crash report of the C library,
        // say) belongs to the run's messages too.
        connect(process, &QProcess::readyReadStandardError, this, [&run] {
            run.sink.addMessage(QString::fromLocal8Bit(run.process->readAllStandardError()));
        });
        connect(process, &QProcess::finished, this, [this, &run] { runEnded(run); });
        connect(process, &QProcess::errorOccurred, this,
                [this, &run](QProcess::ProcessError error) {
                    if (error == QProcess::FailedToStart)
                        runEnded(run);
                });
        if (process->state() == QProcess::NotRunning)
            QMetaObject::invokeMethod(
                this, [this, &run] { runEnded(run); }, Qt::QueuedConnection);
    }

    void runEnded(Run& run) {
        if (run.ended)
            return;
        run.ended = true;
        const std::shared_ptr<bool> alive = alive_; // whoever hears a message may let us go
        run.drain();
        if (!*alive)
            return;
        run.noteWithheld();
        if (!*alive)
            return;
        // A run may end between two looks of its watchdog: it has the last word all the same.
        run.watch();
        run.conclude(runner_ ? runner_->workerPath_ : QString());
        run.privateDir.reset();
        if (std::all_of(runs_.begin(), runs_.end(), [](const auto& r) { return r->ended; })) {
            watch_.stop();
            std::vector<RunResult> results;
            for (const std::unique_ptr<Run>& r : runs_)
                results.push_back(r->result);
            end(std::move(results));
        }
    }

    void end(std::vector<RunResult> results) {
        ended_ = true;
        if (runner_)
            runner_->jobEnded(this, true);
        finish(std::move(results));
    }

    QPointer<WorkerRunner> runner_;
    Urgency urgency_;
    std::vector<std::unique_ptr<Run>> runs_;
    QTimer watch_; // the requests' watchdogs, looked at every tenth of a second
    bool ended_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

std::unique_ptr<RunJob> WorkerRunner::start(std::vector<RunRequest> requests,
                                            std::vector<MessageSink*> sinks, Urgency urgency) {
    qCDebug(lcRunner).nospace() << "job of " << requests.size() << " run(s), "
                                << (urgency == Urgency::Now ? "the user waits" : "ahead of need");
    auto job = std::make_unique<WorkerJob>(*this, urgency);
    jobs_.emplace_back(job.get());
    job->begin(std::move(requests), sinks);
    return job;
}

void WorkerRunner::jobEnded(const WorkerJob* job, bool prepareNext) {
    std::erase_if(jobs_, [job](const QPointer<WorkerJob>& j) { return !j || j == job; });
    // The next run the user waits for finds a worker with the library loaded.
    if (prepareNext && keepReady_ && job->urgency() != Urgency::Whenever)
        prepare();
}

void WorkerRunner::stop() {
    qCDebug(lcRunner) << "stopping the jobs the user waits for";
    for (const QPointer<WorkerJob>& job : std::vector(jobs_))
        if (job && job->urgency() == Urgency::Now)
            job->stop();
}

qsizetype WorkerRunner::runsGoing() const {
    qsizetype going = 0;
    for (const QPointer<WorkerJob>& job : jobs_)
        going += job ? job->runsGoing() : 0;
    return going;
}

bool WorkerRunner::isRunning() const {
    return std::any_of(jobs_.begin(), jobs_.end(), [](const QPointer<WorkerJob>& job) {
        return job && job->urgency() == Urgency::Now && !job->hasEnded();
    });
}

} // namespace quillorn::gs
