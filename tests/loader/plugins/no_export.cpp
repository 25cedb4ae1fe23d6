// A library without the NerlaPlugin export.
extern "C" __attribute__((visibility("default"))) int NotAPlugin() {
    return 1;
}
