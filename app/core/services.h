#pragma once

#include <QImage>
#include <QString>

namespace quillorn {

// Message box styles and results, in the numbers the rest of the program uses.
namespace mb {
inline constexpr int OkOnly = 0;
inline constexpr int AbortRetryIgnore = 2;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;

inline constexpr int Ok = 1;
inline constexpr int Abort = 3;
inline constexpr int Retry = 4;
inline constexpr int Ignore = 5;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace mb

inline const QString kAppTitle = QStringLiteral("Quillorn");

// Thrown by a scripted EndProgram so tests can observe "the program ended here".
struct ProgramEnded {
    int exitCode = 0;
};

// Everything the program asks of the window system goes through this interface, so that a test
// can script the user's answers. The Qt implementation (app/qt_services.h) is what users get.
class WindowServices {
public:
    virtual ~WindowServices() = default;

    // Returns one of the mb:: result numbers.
    virtual int MsgBox(const QString& prompt, int style = mb::OkOnly,
                       const QString& title = kAppTitle) = 0;
    // The text typed, or the empty text on Cancel.
    virtual QString InputBox(const QString& prompt, const QString& title = kAppTitle,
                             const QString& defaultText = {}) = 0;
    // The chosen path, or the empty text on Cancel.
    virtual QString OpenFileDialog(const QString& title, const QString& filter,
                                   const QString& directory = {}) = 0;
    // Asks before overwriting an existing file; the file need not exist.
    virtual QString SaveFileDialog(const QString& title, const QString& filter,
                                   const QString& initialPath = {}) = 0;
    // True when the user accepted the printer dialog.
    virtual bool PrinterDialog(const QString& title) = 0;

    virtual void SetBusy(bool busy) = 0;
    virtual void ClipboardSetText(const QString& text) = 0;
    virtual void ClipboardSetImage(const QImage& image) = 0;

    // Ends the program at once: no window's closing handler runs.
    [[noreturn]] virtual void EndProgram(int exitCode = 0) = 0;

    // Seconds since midnight, single precision.
    virtual float Timer() = 0;
};

} // namespace quillorn
