// Sanitizer builds only. llvmpipe hands the unwind tables of each shader it
// compiles to libgcc (__register_frame). AddressSanitizer unwinds the stack on
// every malloc, and libgcc then sorts the new tables under its lock with a
// malloc of its own, which unwinds again into the same lock and hangs the
// first draw. Shader code never throws or unwinds, so the tests keep the
// tables unregistered and the sanitizer keeps its full stacks.
extern "C" {
__attribute__((visibility("default"))) void __register_frame(void*) {}
__attribute__((visibility("default"))) void __deregister_frame(void*) {}
}
