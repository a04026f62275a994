#pragma once

#include <QString>
#include <optional>
#include <sys/types.h>

namespace quillorn::convert {

// The file Ghostscript writes first for an output name: "%d", then "%02d", then "%03d" replaced
// by page 1 (case-sensitive, every occurrence, in that order). Other forms stay as they are.
QString firstOutputName(const QString& outputName);

// True when writing to outputName would write over inputFile: the first output file is the input
// (symbolic and hard links resolved; also when no file stands at that name yet), or a page-number
// pattern in the file name matches a file in the output's folder that is the input.
bool wouldOverwriteInput(const QString& outputName, const QString& inputFile);

// What stands at a path at one moment, precise enough to tell whether the file was written since.
class FileWitness {
public:
    explicit FileWitness(const QString& path);
    // True when a file stands at the path now that was created, replaced or rewritten since the
    // witness was taken.
    bool createdOrRewritten() const;

private:
    struct Stamp {
        dev_t device;
        ino_t inode;
        off_t size;
        long long modifiedNs;
        long long changedNs;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> take(const QString& path);

    QString path_;
    std::optional<Stamp> before_;
};

} // namespace quillorn::convert
