#include "gs/worker_runner.h"

#include "base/failure.h"
#include "base/message_log.h"
#include "base/temp_files.h"
#include "gs/worker_protocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <optional>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace quillorn::gs {

using protocol::Tag;

namespace {

constexpr qint64 kGiB = 1024LL * 1024 * 1024;

// Ghostscript's own words when an allocation failed.
bool saysOutOfMemory(const QString& output) {
    return output.contains(QLatin1String("VMerror"));
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
    stopBackground();
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

void WorkerRunner::killGroup(QProcess& process) {
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.kill();
}

// One request in its worker: the process and what it has said so far.
struct WorkerRunner::Job {
    const RunRequest& request;
    MessageSink& sink;
    std::unique_ptr<QTemporaryDir> privateDir;
    std::unique_ptr<QProcess> process;
    RunResult result;
    OutputDecoder decoder;
    protocol::FrameReader reader;
    QString output;
    std::optional<int> code;
    std::optional<QString> missing;
    bool missingEntryPoint = false;
    bool ended = false;
    bool stopped = false;

    Job(const RunRequest& r, MessageSink& s) : request(r), sink(s) {}

    void drain() {
        reader.feed(process->readAllStandardOutput());
        while (const std::optional<protocol::Frame> f = reader.next()) {
            switch (f->tag) {
            case Tag::Out:
            case Tag::Err: {
                const QString text = decoder.decode(f->payload);
                sink.addMessage(text);
                if (output.size() < 65536)
                    output += text;
                if (request.onOutput)
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

    // Asks the request's watchdog once, unless it has refused the run already; a refusal ends
    // the worker.
    void watch() {
        if (!request.watchdog || !result.reason.isEmpty())
            return;
        result.reason = request.watchdog();
        if (!result.reason.isEmpty())
            killGroup(*process);
    }

    // How the run ended, once its worker is gone.
    void conclude() {
        if (stopped) {
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
    }
};

void WorkerRunner::launch(Job& job, bool takeSpare, QObject* context) {
    job.process = takeSpare && spare_ ? std::move(spare_) : startWorker();
    QByteArray frames;
    if (!job.request.output.isEmpty())
        frames += protocol::frame(Tag::Output, QFile::encodeName(job.request.output));
    if (echo_)
        frames.prepend(protocol::frame(Tag::Echo));
    frames += protocol::frame(Tag::TempDir, QFile::encodeName(job.privateDir->path()));
    for (const QString& arg : job.request.args)
        frames += protocol::frame(Tag::Argument, QFile::encodeName(arg));
    frames += protocol::frame(Tag::Run);
    job.process->write(frames);
    job.process->closeWriteChannel();

    QProcess* process = job.process.get();
    connect(process, &QProcess::readyReadStandardOutput, context, [&job] { job.drain(); });
    // What the worker itself says on its standard error (a crash report of the C library, say)
    // belongs to the run's messages too.
    connect(process, &QProcess::readyReadStandardError, context, [&job] {
        job.sink.addMessage(QString::fromLocal8Bit(job.process->readAllStandardError()));
    });
}

std::unique_ptr<QTemporaryDir> WorkerRunner::privateFolder(const QString& temp) {
    auto folder = std::make_unique<QTemporaryDir>(
        temp + QStringLiteral("/quillorn-%1-XXXXXX").arg(::getpid()));
    return folder->isValid() ? std::move(folder) : nullptr;
}

// A run in the background: its request kept here, its end reported by a callback.
struct WorkerRunner::Background {
    RunRequest request;
    std::unique_ptr<Job> job;
    std::function<void(const RunResult&)> done;
    QTimer watch; // the request's watchdog, looked at as in a run in the foreground
};

bool WorkerRunner::startInBackground(const RunRequest& request, MessageSink& sink,
                                     std::function<void(const RunResult&)> done) {
    stopBackground();
    const QString temp = tempDirectory();
    if (temp.isEmpty())
        return false;
    auto background = std::make_unique<Background>();
    background->request = request;
    background->done = std::move(done);
    background->job = std::make_unique<Job>(background->request, sink);
    Job& job = *background->job;
    job.privateDir = privateFolder(temp);
    if (!job.privateDir)
        return false;
    // The spare worker, library loaded, stays for the page the user asks for next.
    launch(job, false, this);
    QProcess* process = job.process.get();
    const auto finish = [this] {
        // Taken out first: done may start the next background run.
        std::unique_ptr<Background> ended = std::move(background_);
        if (!ended)
            return;
        ended->watch.stop();
        ended->job->drain();
        ended->job->watch(); // a run may end between two looks: the watchdog has the last word
        if (ended->job->missing || ended->job->process->error() == QProcess::FailedToStart) {
            ended->job->result.end = RunResult::End::Crashed;
        } else {
            ended->job->conclude();
        }
        ended->job->process->disconnect(this);
        if (ended->done)
            ended->done(ended->job->result);
        // Not inside its own process's signal: the run goes once the event loop is back.
        QTimer::singleShot(0, this, [gone = std::shared_ptr<Background>(std::move(ended))] {});
    };
    connect(process, &QProcess::finished, this, finish);
    connect(process, &QProcess::errorOccurred, this, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish();
    });
    if (request.watchdog) {
        connect(&background->watch, &QTimer::timeout, this, [&job] { job.watch(); });
        background->watch.start(100);
    }
    background_ = std::move(background);
    return true;
}

void WorkerRunner::stopBackground() {
    std::unique_ptr<Background> stopped = std::move(background_);
    if (!stopped)
        return;
    stopped->job->process->disconnect(this);
    killGroup(*stopped->job->process);
    stopped->job->process->waitForFinished(2000);
}

void WorkerRunner::stop() {
    for (Job* job : running_) {
        job->stopped = true;
        killGroup(*job->process);
    }
}

RunResult WorkerRunner::run(const RunRequest& request, MessageSink& sink) {
    return runTogether({request}, {&sink}).front();
}

std::vector<RunResult> WorkerRunner::runTogether(const std::vector<RunRequest>& requests,
                                                 const std::vector<MessageSink*>& sinks) {
    // Ghostscript's temporary directory is a private one of each run's own: no private folder,
    // no run, rather than one in the user's temporary directory.
    const QString temp = tempDirectory();
    const QString unusable = QStringLiteral("The temporary folder %1 cannot be used")
                                 .arg(temp.isEmpty() ? qEnvironmentVariable("TMPDIR") : temp);
    if (temp.isEmpty())
        throw Failure{FailureKind::FileAccess, unusable};
    std::vector<std::unique_ptr<Job>> jobs;
    for (size_t i = 0; i < requests.size(); ++i) {
        auto job = std::make_unique<Job>(requests[i], *sinks.at(i));
        job->privateDir = privateFolder(temp);
        if (!job->privateDir)
            throw Failure{FailureKind::FileAccess, unusable};
        jobs.push_back(std::move(job));
    }

    const bool wasRunning = isRunning();
    QEventLoop loop;
    size_t ended = 0;
    const auto end = [&](Job& job) {
        if (job.ended)
            return;
        job.ended = true;
        std::erase(running_, &job);
        if (++ended == jobs.size())
            loop.quit();
    };
    for (const std::unique_ptr<Job>& owned : jobs) {
        Job& job = *owned;
        launch(job, true, &loop);
        running_.push_back(&job);

        QProcess* process = job.process.get();
        connect(process, &QProcess::finished, &loop, [&job, end] { end(job); });
        connect(process, &QProcess::errorOccurred, &loop,
                [&job, end](QProcess::ProcessError error) {
                    if (error == QProcess::FailedToStart)
                        end(job);
                });
        if (process->state() == QProcess::NotRunning)
            end(job);
    }
    if (!wasRunning)
        Q_EMIT runningChanged(true);

    QTimer watch;
    watch.setInterval(100);
    connect(&watch, &QTimer::timeout, &loop, [&] {
        for (const std::unique_ptr<Job>& job : jobs)
            if (!job->ended)
                job->watch();
    });
    watch.start();
    if (ended < jobs.size())
        loop.exec();
    watch.stop();
    // The program is ending (the loop was told to quit) or the runs were stopped: the workers
    // go too.
    for (const std::unique_ptr<Job>& job : jobs) {
        if (job->process->state() != QProcess::NotRunning) {
            killGroup(*job->process);
            job->process->waitForFinished(2000);
        }
        job->drain();
        std::erase(running_, job.get());
    }
    if (!isRunning())
        Q_EMIT runningChanged(false);

    std::vector<RunResult> results;
    for (const std::unique_ptr<Job>& job : jobs) {
        if (job->process->error() == QProcess::FailedToStart)
            throw Failure{FailureKind::Internal,
                          QStringLiteral("The Ghostscript worker %1 cannot be started (%2)")
                              .arg(workerPath_, job->process->errorString())};
        if (job->missing)
            throw Failure{job->missingEntryPoint ? FailureKind::EntryPointMissing
                                                 : FailureKind::LibraryMissing,
                          *job->missing};
        // A run may end between two looks of its watchdog: it has the last word all the same.
        if (!job->stopped)
            job->watch();
        job->conclude();
        results.push_back(job->result);
    }
    return results;
}

} // namespace quillorn::gs
