/* A library that looks like Ghostscript and dies in the middle of a run, as a broken or
 * mismatched libgs can: built twice, with FAIL_BY_SIGNAL it crashes (SIGSEGV), without it ends
 * the process at once. Built by the test suite only. */
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

typedef int (*out_fn)(void*, const char*, int);
static out_fn out_cb;
static void* caller;

struct revision {
    const char* product;
    const char* copyright;
    long revision;
    long revisiondate;
};

int gsapi_revision(struct revision* r, int len) {
    if (len < (int)sizeof *r)
        return (int)sizeof *r;
    r->product = "Failing Ghostscript";
    r->copyright = "none";
    r->revision = 1;
    r->revisiondate = 20240101;
    return 0;
}
int gsapi_new_instance(void** instance, void* handle) {
    static int token;
    caller = handle;
    *instance = &token;
    return 0;
}
int gsapi_set_stdio(void* instance, void* in, out_fn out, out_fn err) {
    (void)instance;
    (void)in;
    (void)err;
    out_cb = out;
    return 0;
}
int gsapi_init_with_args(void* instance, int argc, char** argv) {
    (void)instance;
    (void)argc;
    (void)argv;
    out_cb(caller, "Failing Ghostscript 1.0\nhalf a page\n", 36);
#ifdef FAIL_BY_SIGNAL
    raise(SIGSEGV);
#else
    _exit(0);
#endif
    return 0;
}
int gsapi_exit(void* instance) {
    (void)instance;
    return 0;
}
void gsapi_delete_instance(void* instance) {
    (void)instance;
}
