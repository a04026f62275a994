/* A stand-in for the Ghostscript library: exports the six interpreter entry points, records
 * every call, and answers as the test configures it. Built by the test suite only. */
#include <stdio.h>
#include <string.h>

typedef int (*stdin_fn)(void*, char*, int);
typedef int (*out_fn)(void*, const char*, int);

struct revision {
    const char* product;
    const char* copyright;
    long revision;
    long revisiondate;
};

static char calls[4096];
static int rc_new, rc_stdio, rc_init;
static stdin_fn in_cb;
static out_fn out_cb, err_cb;
static char argv_log[8192];
static int last_argc = -1;
static int callback_results[8];
static int stdin_result = -99;
static void* caller_seen = (void*)1;
static int instance_token;

static void note(const char* name) {
    if (calls[0])
        strncat(calls, ",", sizeof calls - strlen(calls) - 1);
    strncat(calls, name, sizeof calls - strlen(calls) - 1);
}

void standin_configure(int new_rc, int stdio_rc, int init_rc) {
    rc_new = new_rc;
    rc_stdio = stdio_rc;
    rc_init = init_rc;
    calls[0] = 0;
    argv_log[0] = 0;
    last_argc = -1;
    stdin_result = -99;
    memset(callback_results, 0, sizeof callback_results);
    caller_seen = (void*)1;
}
const char* standin_calls(void) { return calls; }
const char* standin_argv(void) { return argv_log; }
int standin_argc(void) { return last_argc; }
int standin_callback_result(int i) { return callback_results[i]; }
int standin_stdin_result(void) { return stdin_result; }
void* standin_caller_handle(void) { return caller_seen; }

int gsapi_revision(struct revision* r, int len) {
    note("revision");
    if (len < (int)sizeof *r)
        return (int)sizeof *r;
    r->product = "Stand-in Ghostscript";
    r->copyright = "no copyright";
    r->revision = 1234;
    r->revisiondate = 20240101;
    return 0;
}

int gsapi_new_instance(void** instance, void* caller) {
    note("new_instance");
    caller_seen = caller;
    if (rc_new < 0)
        return rc_new;
    *instance = &instance_token;
    return 0;
}

int gsapi_set_stdio(void* instance, stdin_fn in, out_fn out, out_fn err) {
    (void)instance;
    note("set_stdio");
    in_cb = in;
    out_cb = out;
    err_cb = err;
    return rc_stdio;
}

int gsapi_init_with_args(void* instance, int argc, char** argv) {
    char buf[16];
    (void)instance;
    note("init_with_args");
    last_argc = argc;
    for (int i = 0; i < argc; ++i) {
        strncat(argv_log, argv[i], sizeof argv_log - strlen(argv_log) - 1);
        strncat(argv_log, "|", sizeof argv_log - strlen(argv_log) - 1);
    }
    /* A banner, an empty chunk, a chunk on standard error, a multi-byte character split
     * across two chunks, and a read of standard input; like Ghostscript, every callback gets
     * the caller handle given to gsapi_new_instance. */
    callback_results[0] = out_cb(caller_seen, "Stand-in Ghostscript 1.0\n", 25);
    callback_results[1] = out_cb(caller_seen, "", 0);
    callback_results[2] = err_cb(caller_seen, "Error: oops\n", 12);
    callback_results[3] = out_cb(caller_seen, "caf\xc3", 4);
    callback_results[4] = out_cb(caller_seen, "\xa9!", 2);
    stdin_result = in_cb(caller_seen, buf, (int)sizeof buf);
    return rc_init;
}

int gsapi_exit(void* instance) {
    (void)instance;
    note("exit");
    return 0;
}

void gsapi_delete_instance(void* instance) {
    (void)instance;
    note("delete_instance");
}
