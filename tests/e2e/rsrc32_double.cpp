// rsrc32 double: stands in for the Windows 9x resource meter DLL (rsrc32.dll) in the tests.
// Its one function takes the kind of resource asked about and answers a fixed percentage,
// a different one per kind, so a caller asking about the wrong kind shows a wrong figure:
//   0 (system) -> 72, 1 (GDI) -> 81, 2 (USER) -> 93, anything else -> 0.
// rsrc32_double.def exports it under the decorated and the plain name, as callers look it
// up by either.

// The assembler name is pinned (plus the platform's C prefix) so the .def can name it
// the same way for i686, where stdcall would decorate it, and for x86_64, where it would not.
#define TW_STRINGIFY2(x) #x
#define TW_STRINGIFY(x) TW_STRINGIFY2(x)
#if defined(__i386__)
#define TW_STDCALL __attribute__((stdcall))
#else
#define TW_STDCALL
#endif

extern "C" int TW_STDCALL
Rsrc32DoubleFree(int kind) __asm__(TW_STRINGIFY(__USER_LABEL_PREFIX__) "Rsrc32DoubleFree");

extern "C" int TW_STDCALL Rsrc32DoubleFree(int kind) {
  switch (kind) {
    case 0: return 72;
    case 1: return 81;
    case 2: return 93;
    default: return 0;
  }
}
