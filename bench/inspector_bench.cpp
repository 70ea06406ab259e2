// The inspector of Modify Source Texture on a text of about 1 MB (a layered texture of 1,300
// layers in the style of POV-Ray's woods): the outline read off the window's thread, against
// the check the dialog already makes of the same text; the time from a change to its outline
// shown; and the window's longest stall while a user types into the text. Aims: the outline
// shown within 100 ms of a change, and no stall over 50 ms.

#include "benchsupport.h"
#include "besttime.h"
#include "core/povtext/editing/textureoutline.h"
#include "core/povtext/import/sourceentry.h"
#include "ui/editors/sourceinspector.h"
#include "ui/editors/sourcetexturedialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

std::string LargeText() {
    std::string text;
    for (int layer = 0; text.size() < 1000000 - 1000; ++layer) {
        const std::string n = std::to_string(layer);
        text += "texture { // layer " + n +
                "\n  pigment {\n    wood turbulence <0.1, 0.5, 1> "
                "octaves 5 lambda 3.25\n    scale <0.15, .5, 1> rotate <5, 10, 5> translate -x*2\n"
                "    color_map {\n";
        for (int entry = 0; entry < 6; ++entry)
            text += "      [" + std::to_string(entry / 6.0).substr(0, 5) +
                    " color rgbt <0.55, 0.32, 0.20, 0." + std::to_string(entry) + ">]\n";
        text += "    }\n  }\n  finish { ambient 0.1 diffuse 0.6 phong 1/2 }\n}\n";
    }
    return text;
}

/// The longest gap between the ticks of a 5 ms timer while it runs, less the 5 ms.
class StallMeter {
public:
    StallMeter() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_since.restart() - 5); });
    }
    void Start() {
        m_longest = 0;
        m_since.start();
        m_timer.start();
    }
    qint64 Stop() {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::string text = LargeText();
    std::printf("text: %zu bytes\n", text.size());

    const double outline = BestSeconds(5, [&] { ReadOutline(text); });
    MemorySourceFiles files;
    const double check =
        BestSeconds(3, [&] { TakeSourceText(text, SourceTexture::TextureKind, files); });
    std::printf("outline read: %.1f ms; the dialog's check of the same text: %.1f ms "
                "(outline/check %.2f)\n",
                outline * 1000, check * 1000, outline / check);

    BenchServices services;
    services.settings.povExecutable = QStringLiteral("/nonexistent/povray"); // no Preview renders
    SourceTexture texture;
    texture.SetName("Large");
    texture.SetText(text);
    SourceTextureDialog dialog(services, texture);
    dialog.show();
    SourceInspector& inspector = *dialog.Inspector();
    if (!QTest::qWaitFor([&] { return !inspector.IsReading(); }, 20000)) {
        std::printf("the outline never came\n");
        return 1;
    }

    // Keys typed into the middle of the text, one every 120 ms, as a quick typist's.
    QPlainTextEdit* edit = dialog.TextEdit();
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(static_cast<int>(text.size() / 2));
    edit->setTextCursor(cursor);
    edit->setFocus();
    StallMeter stalls;
    stalls.Start();
    qint64 slowest = 0;
    for (const char key : std::string("// typed ")) {
        QElapsedTimer shown;
        shown.start();
        QTest::keyClick(edit, key);
        if (!QTest::qWaitFor([&] { return !inspector.IsReading(); }, 5000))
            std::printf("a key's outline never came\n");
        slowest = std::max(slowest, shown.elapsed());
        QTest::qWait(120);
    }
    const qint64 stall = stalls.Stop();
    std::printf("a change to its outline shown: at most %lld ms (aim 100)\n",
                static_cast<long long>(slowest));
    std::printf("longest stall of the window while typing: %lld ms (aim 50)\n",
                static_cast<long long>(stall));
    return 0;
}
