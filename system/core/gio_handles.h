#pragma once

// Qt's "signals" keyword would clash with a GDBus structure field of that name.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QString>
#include <memory>

// Owning handles for the GLib and GIO objects the association code touches, so that no early
// return can leak one.
namespace quillorn::system::gio {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct Free {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

using AppInfo = std::unique_ptr<GAppInfo, ObjectUnref>;
using DesktopAppInfo = std::unique_ptr<GDesktopAppInfo, ObjectUnref>;
using File = std::unique_ptr<GFile, ObjectUnref>;
using String = std::unique_ptr<gchar, Free>;
using Error = std::unique_ptr<GError, ErrorFree>;
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

// Takes a GError out of a call's out-parameter: `GError* raw = nullptr; f(..., &raw);
// Error e(raw);`. The message of an empty error is the empty text.
inline QString message(const Error& error) {
    return error ? QString::fromUtf8(error->message) : QString();
}

inline QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace quillorn::system::gio
