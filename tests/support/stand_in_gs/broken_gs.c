/* A library that looks like Ghostscript but lacks gsapi_exit: loading it must fail cleanly. */
int gsapi_revision(void* r, int len) {
    (void)r;
    (void)len;
    return 0;
}
