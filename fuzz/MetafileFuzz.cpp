// Arbitrary bytes into the WMF and EMF renderers: opening and drawing must never crash, hang or
// read outside the input, whatever the records claim.

#include "app/widgets/MetafileRenderer.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Draw(const std::optional<qm::app::MetafileRenderer>& renderer) {
    if (!renderer) {
        return;
    }
    // Small images keep the fuzzer fast; the mapping code sees the same numbers at any size.
    const QSize size = renderer->NaturalSize().boundedTo(QSize(96, 96));
    const QImage image = renderer->Render(size);
    (void)image;
}

}  // namespace

// fontconfig keeps a cache of the font patterns Qt asks for by name, allocated on first use and
// never freed; that is the library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Text needs the font database, which needs a GUI application; offscreen needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Both entry points on every input, whatever its first bytes say.
    Draw(qm::app::MetafileRenderer::OpenWmf(bytes));
    Draw(qm::app::MetafileRenderer::OpenEmf(bytes));
    return 0;
}
