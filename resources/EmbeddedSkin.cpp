#include "resources/EmbeddedSkin.h"

// QS_SKIN_FILE names the generated resource file; the assembler copies it
// byte for byte into read-only data, so the skin costs no start-up work and
// no copy. The symbols stay hidden inside the plug-in's library.
#ifndef QS_SKIN_FILE
#error "QS_SKIN_FILE must name the generated resource file"
#endif

__asm__("  .section .rodata\n"
        "  .balign 16\n"
        "  .hidden qs_skin_begin\n"
        "  .hidden qs_skin_end\n"
        "qs_skin_begin:\n"
        "  .incbin \"" QS_SKIN_FILE "\"\n"
        "qs_skin_end:\n"
        "  .previous\n");

extern "C" __attribute__((visibility("hidden"))) const uint8_t qs_skin_begin[];
extern "C" __attribute__((visibility("hidden"))) const uint8_t qs_skin_end[];

namespace quillstrip::skin {

const uint8_t* GetEmbeddedResourceFile() { return qs_skin_begin; }
std::size_t GetEmbeddedResourceFileSize() { return std::size_t(qs_skin_end - qs_skin_begin); }

}  // namespace quillstrip::skin
