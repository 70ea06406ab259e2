// Texture maps: the document's tile methods and BMP file, the view's drawing and scrolling,
// the Create Texture Map dialog, and the whole command with the real POV-Ray.

#include "core/model/simpletexture.h"
#include "core/shapes/builtinshapes.h"
#include "core/texmap/tiling.h"
#include "fakeappservices.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/povray/texturemaprender.h"
#include "render/settings/programsettings.h"
#include "screenshot.h"
#include "testfiles.h"
#include "ui/framework/appservices.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"
#include "ui/texmap/createtexturemap.h"
#include "ui/texmap/createtexturemapdialog.h"
#include "ui/texmap/texturemapdocument.h"
#include "ui/texmap/texturemapkind.h"
#include "ui/texmap/texturemapview.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Pixels = std::vector<std::uint8_t>;

DocumentTemplate TextureMapKind() {
    return DocumentTemplate(
        {"Texture Map", "Bitmap (*.bmp)", ".BMP"},
        [](DocumentTemplate& kind) { return std::make_unique<TextureMapDocument>(kind); },
        [](Document& document) {
            return new TextureMapView(static_cast<TextureMapDocument&>(document));
        });
}

/// Every pixel differs from its neighbours: blue = 7 * column, green = 5 * row, red = 3c + 11r.
Pixels Pattern(int width, int height) {
    Pixels pixels;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            pixels.insert(pixels.end(),
                          {std::uint8_t(c * 7), std::uint8_t(r * 5), std::uint8_t(c * 3 + r * 11)});
    return pixels;
}
QColor PatternColor(int c, int r) {
    return QColor(std::uint8_t(c * 3 + r * 11), std::uint8_t(r * 5), std::uint8_t(c * 7));
}

/// The shown picture as packed rows, top row first.
Pixels Shown(const Bitmap& image) {
    Pixels rows(std::size_t(image.Width()) * 3 * std::size_t(image.Height()));
    image.CopyBitsTo(rows);
    return rows;
}

/// A 2 x 2 BMP with a 256-colour palette.
QByteArray PaletteBmp() {
    QByteArray bytes("BM");
    auto dword = [&](quint32 v) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(char((v >> shift) & 0xff));
    };
    // File header, then the information header: 2 x 2, 1 plane and 8 bits, 256 colours.
    for (quint32 v : {14u + 40 + 1024 + 8, 0u, 14u + 40 + 1024, 40u, 2u, 2u, 1u | (8u << 16), 0u,
                      8u, 2835u, 2835u, 256u, 0u})
        dword(v);
    for (quint32 i = 0; i < 256; ++i)
        dword(i * 0x010101);
    return bytes + QByteArray(8, '\x40');
}

void ClickCheckBox(QAbstractButton* box) { // on its box: its middle may lie past the text
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(4, box->height() / 2));
}

/// Answers every message with OK and keeps its text.
struct MessageRecorder {
    MessageRecorder() {
        Prompts::SetMessageResponder(
            [this](Prompts::Icon, const QString&, const QString& text, auto) {
                texts.push_back(text);
                return QMessageBox::Ok;
            });
    }
    ~MessageRecorder() { Prompts::SetMessageResponder(nullptr); }
    std::vector<QString> texts;
};

// ---- the document and the view --------------------------------------------------------------

class TextureMapTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    /// A shown view of the pattern whose viewport is exactly `size`, without scroll bars.
    std::unique_ptr<TextureMapView> ShowView(QSize size, int width, int height) {
        m_doc.SetImage(Pattern(width, height), width, height);
        auto view = std::make_unique<TextureMapView>(m_doc);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setFrameShape(QFrame::NoFrame);
        view->resize(size);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }

    QTemporaryDir m_dir;
    DocumentTemplate m_kind = TextureMapKind();
    TextureMapDocument m_doc{m_kind};
};

TEST_F(TextureMapTest, TileMethodsAlwaysStartFromTheSource) {
    const Pixels pixels = Pattern(120, 120);
    QSignalSpy changed(&m_doc, &Document::contentsChanged);
    ASSERT_TRUE(m_doc.SetImage(pixels, 120, 120));
    EXPECT_EQ(Shown(m_doc.Image()), pixels);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_FALSE(m_doc.SetImage(Pixels(10), 120, 120)); // too few pixels: refused, nothing changes

    ASSERT_TRUE(m_doc.ApplyTileMethod(TileMethod::Mirror));
    ASSERT_TRUE(m_doc.ApplyTileMethod(TileMethod::Mirror)); // not four times the size
    EXPECT_EQ(m_doc.Image().Width(), 240);
    EXPECT_EQ(m_doc.Image().Height(), 240);
    EXPECT_EQ(Shown(m_doc.Image()), Mirror(pixels, 120, 120));
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.Width(), 120);
    EXPECT_EQ(m_doc.SourcePixels(), pixels);

    m_doc.SetModifiedFlag(false);
    ASSERT_TRUE(m_doc.ApplyTileMethod(TileMethod::EdgeFade));
    ASSERT_TRUE(m_doc.ApplyTileMethod(TileMethod::EdgeFade));
    EXPECT_EQ(Shown(m_doc.Image()), EdgeFade(pixels, 120, 120)); // twice is once, from the source
    EXPECT_NE(Shown(m_doc.Image()), pixels);
    EXPECT_TRUE(m_doc.IsModified());

    ASSERT_TRUE(m_doc.ApplyTileMethod(TileMethod::None));
    EXPECT_EQ(m_doc.Image().Width(), 120);
    EXPECT_EQ(Shown(m_doc.Image()), pixels);
    EXPECT_EQ(m_doc.AppliedTileMethod(), TileMethod::None);
    EXPECT_EQ(changed.count(), 6);
}

TEST_F(TextureMapTest, SavesThePictureAsShownAndOpensItAgain) {
    const Pixels pixels = Pattern(5, 3); // 15-byte rows, padded to 16 in the file
    m_doc.SetImage(pixels, 5, 3);
    ASSERT_TRUE(m_doc.Store(Path("plain.bmp")));
    m_doc.ApplyTileMethod(TileMethod::Mirror);
    ASSERT_TRUE(m_doc.Store(Path("mirror.bmp")));
    const auto bmp = m_doc.Image().ToBMP();
    EXPECT_EQ(FileBytes(Path("mirror.bmp")),
              QByteArray(reinterpret_cast<const char*>(bmp.data()), qsizetype(bmp.size())));
    EXPECT_FALSE(m_doc.Store(Path("missing/map.bmp")));

    TextureMapDocument opened(m_kind);
    opened.SetModifiedFlag(true);
    ASSERT_TRUE(opened.Load(Path("plain.bmp")));
    EXPECT_EQ(opened.Width(), 5);
    EXPECT_EQ(opened.Height(), 3);
    EXPECT_EQ(opened.SourcePixels(), pixels);
    EXPECT_EQ(Shown(opened.Image()), pixels);
    EXPECT_FALSE(opened.IsModified());
    EXPECT_EQ(opened.AppliedTileMethod(), TileMethod::None);

    // A map saved after Mirror reopens with the doubled picture as its source, method None.
    opened.ApplyTileMethod(TileMethod::EdgeFade);
    ASSERT_TRUE(opened.Load(Path("mirror.bmp")));
    EXPECT_EQ(opened.AppliedTileMethod(), TileMethod::None);
    EXPECT_EQ(opened.Width(), 10);
    EXPECT_EQ(opened.SourcePixels(), Mirror(pixels, 5, 3));
}

TEST_F(TextureMapTest, FilesThatAreNotMapsLeaveTheDocumentAsItWas) {
    const Pixels pixels = Pattern(6, 4);
    m_doc.SetImage(pixels, 6, 4);
    m_doc.ApplyTileMethod(TileMethod::EdgeFade);
    PutFile(Path("palette.bmp"), PaletteBmp());

    const FileResult wrong = m_doc.Load(Path("palette.bmp"));
    EXPECT_FALSE(wrong);
    EXPECT_EQ(wrong.message, QStringLiteral("Bitmaps must be 24-bit uncompressed format!"));
    EXPECT_EQ(m_doc.LoadErrorTitle(), QStringLiteral("File Format Error"));
    EXPECT_EQ(static_cast<Document&>(m_doc).LoadErrorTitle(), QStringLiteral("File Format Error"));
    const FileResult missing = m_doc.Load(Path("none.bmp"));
    EXPECT_EQ(missing.message, QStringLiteral("Cannot open specified file!\n") + Path("none.bmp") +
                                   QStringLiteral(" was not found."));
    EXPECT_EQ(m_doc.LoadErrorTitle(), QStringLiteral("IO Error"));

    EXPECT_EQ(m_doc.SourcePixels(), pixels);
    EXPECT_EQ(Shown(m_doc.Image()), EdgeFade(pixels, 6, 4));
    EXPECT_EQ(m_doc.AppliedTileMethod(), TileMethod::EdgeFade);
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(TextureMapTest, PipesDevicesAndHugePicturesAreRefusedAtOnce) {
    // A named pipe hung the program before its window drew; a link to /dev/zero grew it to
    // gigabytes; a valid 18000 x 18000 picture took 100 s and 5.4 GB.
    const Pixels pixels = Pattern(6, 4);
    m_doc.SetImage(pixels, 6, 4);
    const QString fifo = Path("fifo.bmp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString zero = Path("zero.bmp");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    for (const QString& path : {fifo, zero}) {
        const FileResult refused = m_doc.Load(path);
        EXPECT_FALSE(refused);
        EXPECT_EQ(refused.message, QStringLiteral("Cannot open specified file!\n") + path +
                                       QStringLiteral(" is not a regular file (it is a pipe or a "
                                                      "device)."));
        EXPECT_EQ(m_doc.LoadErrorTitle(), QStringLiteral("IO Error"));
    }

    // The whole file is there (sparse, so it takes no room), but only its header is read.
    Bitmap header;
    ASSERT_TRUE(header.SetBits(1, 1, Pixels(3), false));
    auto bytes = header.ToBMP();
    bytes.resize(54);
    const auto put = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(18, 18000);
    put(22, 18000);
    const QString huge = Path("huge.bmp");
    PutFile(huge, QByteArray(reinterpret_cast<const char*>(bytes.data()), 54));
    ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), 54 + 18000LL * 54000), 0);
    const FileResult tooLarge = m_doc.Load(huge);
    EXPECT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.message, huge + QStringLiteral(": The picture is 18000 x 18000 pixels; "
                                                      "pictures of more than 16384 pixels on a "
                                                      "side cannot be opened."));
    EXPECT_EQ(m_doc.LoadErrorTitle(), QStringLiteral("File Format Error"));
    EXPECT_EQ(m_doc.SourcePixels(), pixels);
}

TEST_F(TextureMapTest, AnOpenedPictureIsHeldOnceUntilATileMethodNeedsItsSource) {
    const Pixels pixels = Pattern(64, 32);
    m_doc.SetImage(pixels, 64, 32);
    ASSERT_TRUE(m_doc.Store(Path("map.bmp")));
    TextureMapDocument opened(m_kind);
    ASSERT_TRUE(opened.Load(Path("map.bmp")));
    // The view draws the document's own pixels, before and after a tile method replaced them.
    TextureMapView view(opened);
    view.resize(200, 120);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.viewport()->grab().toImage().pixelColor(40, 20), PatternColor(40, 20));
    EXPECT_EQ(opened.SourcePixels(), pixels);
    ASSERT_TRUE(opened.ApplyTileMethod(TileMethod::Mirror));
    EXPECT_EQ(opened.SourcePixels(), pixels);
    EXPECT_EQ(view.viewport()->grab().toImage().pixelColor(127 - 40, 20), PatternColor(40, 20));
    ASSERT_TRUE(opened.ApplyTileMethod(TileMethod::None));
    EXPECT_EQ(Shown(opened.Image()), pixels);
    EXPECT_EQ(opened.SourcePixels(), pixels);
}

TEST_F(TextureMapTest, ViewCommandsSetTheMethodButShowTilingChangesNothing) {
    auto view = ShowView({100, 70}, 30, 20);
    TextureMapView other(m_doc);
    QSignalSpy state(view.get(), &TextureMapView::commandStateChanged);
    view->OnShowTiling();
    EXPECT_TRUE(view->IsShowTiling());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(state.count(), 1);

    view->ApplyTileMethod(TileMethod::Mirror);
    EXPECT_EQ(view->AppliedTileMethod(), TileMethod::Mirror);
    EXPECT_EQ(other.AppliedTileMethod(),
              TileMethod::Mirror); // every window of the map shows the method in use
    EXPECT_TRUE(m_doc.IsModified());
    view->ApplyTileMethod(TileMethod::EdgeFade);
    EXPECT_EQ(view->AppliedTileMethod(), TileMethod::EdgeFade);
    m_doc.SetModifiedFlag(false);
    view->ApplyTileMethod(TileMethod::None);
    EXPECT_EQ(view->AppliedTileMethod(), TileMethod::None);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(state.count(), 4);
}

TEST_F(TextureMapTest, DrawsThePictureOnceOrRepeatedOverTheWindow) {
    auto view = ShowView({100, 70}, 30, 20);
    const QColor background = view->viewport()->palette().color(QPalette::Window);
    QImage shot = view->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(29, 19), PatternColor(29, 19));
    EXPECT_EQ(shot.pixelColor(35, 5), background);
    EXPECT_EQ(shot.pixelColor(5, 25), background);

    view->OnShowTiling();
    shot = view->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(35, 5), PatternColor(5, 5));
    EXPECT_EQ(shot.pixelColor(65, 45), PatternColor(5, 5));
    EXPECT_EQ(shot.pixelColor(99, 69), PatternColor(9, 9)); // the cut-off last copies too
}

TEST_F(TextureMapTest, ScrollsInPixelsOverThePictureAsShown) {
    auto view = ShowView({50, 40}, 80, 60);
    QScrollBar* horizontal = view->horizontalScrollBar();
    QScrollBar* vertical = view->verticalScrollBar();
    EXPECT_EQ(horizontal->maximum(), 30);
    EXPECT_EQ(vertical->maximum(), 20);
    horizontal->setValue(10);
    vertical->setValue(4);
    EXPECT_EQ(view->viewport()->grab().toImage().pixelColor(0, 0), PatternColor(10, 4));

    view->ApplyTileMethod(TileMethod::Mirror); // all of the doubled picture can be reached
    EXPECT_EQ(horizontal->maximum(), 110);
    EXPECT_EQ(vertical->maximum(), 80);
    view->resize(200, 150);
    EXPECT_EQ(horizontal->maximum(), 0);
}

TEST_F(TextureMapTest, SavesAsPngWhenAskedAndOpensItAgain) {
    const Pixels pixels = Pattern(37, 23); // rows of an odd length
    m_doc.SetImage(pixels, 37, 23);
    ASSERT_TRUE(m_doc.Store(Path("map.png")));
    ASSERT_TRUE(m_doc.Store(Path("MAP2.PNG")));
    ASSERT_TRUE(m_doc.Store(Path("map.bmp")));
    const QByteArray png = FileBytes(Path("map.png"));
    ASSERT_GT(png.size(), 33);
    EXPECT_EQ(png.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.mid(12, 4), QByteArray("IHDR"));
    EXPECT_EQ(png[24], 8) << "8 bits per sample";
    EXPECT_EQ(png[25], 2) << "RGB without alpha: 24 bits per pixel";
    EXPECT_EQ(FileBytes(Path("MAP2.PNG")).left(4), QByteArray("\x89PNG", 4));
    EXPECT_EQ(FileBytes(Path("map.bmp")).left(2), QByteArray("BM")) << "any other name stays a BMP";
    const QImage decoded(Path("map.png"));
    ASSERT_EQ(decoded.size(), QSize(37, 23));
    for (auto [c, r] : {std::pair{0, 0}, std::pair{36, 0}, std::pair{17, 11}, std::pair{36, 22}})
        EXPECT_EQ(decoded.pixelColor(c, r), PatternColor(c, r)) << c << "," << r;

    TextureMapDocument opened(m_kind);
    opened.SetModifiedFlag(true);
    ASSERT_TRUE(opened.Load(Path("map.png")));
    EXPECT_EQ(opened.Width(), 37);
    EXPECT_EQ(opened.Height(), 23);
    EXPECT_EQ(opened.SourcePixels(), pixels);
    EXPECT_EQ(Shown(opened.Image()), pixels);
    EXPECT_FALSE(opened.IsModified());

    // A damaged PNG is refused with the file's name and leaves the map as it was.
    PutFile(Path("cut.png"), png.left(png.size() - 20));
    const FileResult cut = opened.Load(Path("cut.png"));
    EXPECT_FALSE(cut);
    EXPECT_EQ(cut.message,
              QStringLiteral("cut.png is not a PNG picture that can be opened as a texture map."));
    EXPECT_EQ(opened.LoadErrorTitle(), QStringLiteral("File Format Error"));
    EXPECT_EQ(opened.SourcePixels(), pixels);
}

TEST_F(TextureMapTest, ZoomToFitShowsALargeMapWhole) {
    // A smooth picture, so that a scaled-down view can be checked: blue across, green down.
    constexpr int kSize = 3096;
    Pixels pixels(std::size_t(kSize) * kSize * 3);
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c) {
            std::uint8_t* p = &pixels[(std::size_t(r) * kSize + std::size_t(c)) * 3];
            p[0] = std::uint8_t(c * 255 / (kSize - 1));
            p[1] = std::uint8_t(r * 255 / (kSize - 1));
            p[2] = 128;
        }
    m_doc.SetImage(pixels, kSize, kSize);
    TextureMapView view(m_doc);
    view.resize(420, 310);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.Zoom(), 1.0) << "a map opens 1:1";
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 2000);

    view.OnZoomToFit();
    EXPECT_TRUE(view.IsFitting());
    const QSize room = view.maximumViewportSize();
    EXPECT_NEAR(view.Zoom(), double(std::min(room.width(), room.height())) / kSize, 1e-9);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0) << "all of it is in the window";
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    QApplication::processEvents(); // the scroll bars, no longer needed, go
    EXPECT_EQ(view.viewport()->size(), room);
    const QImage shot = view.viewport()->grab().toImage();
    SaveScreenshot(&view, QStringLiteral("texturemap-zoom-fit"));
    const int side = int(kSize * view.Zoom());
    auto near = [](QColor seen, int blue, int green) {
        return std::abs(seen.blue() - blue) <= 4 && std::abs(seen.green() - green) <= 4 &&
               std::abs(seen.red() - 128) <= 2;
    };
    EXPECT_TRUE(near(shot.pixelColor(1, 1), 0, 0)) << shot.pixelColor(1, 1).name().toStdString();
    EXPECT_TRUE(near(shot.pixelColor(side - 2, side - 2), 255, 255))
        << shot.pixelColor(side - 2, side - 2).name().toStdString() << " side " << side
        << " viewport " << view.viewport()->width() << "x" << view.viewport()->height();
    EXPECT_TRUE(near(shot.pixelColor(side / 2, side / 4), 128, 64))
        << shot.pixelColor(side / 2, side / 4).name().toStdString();
    EXPECT_EQ(shot.pixelColor(side + 5, 5), view.viewport()->palette().color(QPalette::Window));

    // Fitting follows the window until another zoom is chosen.
    view.resize(220, 500);
    EXPECT_NEAR(view.Zoom(), double(view.maximumViewportSize().width()) / kSize, 1e-9);
    view.OnActualSize();
    EXPECT_FALSE(view.IsFitting());
    EXPECT_EQ(view.Zoom(), 1.0);
    view.resize(420, 310);
    EXPECT_EQ(view.Zoom(), 1.0);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), kSize - view.viewport()->width());
}

TEST_F(TextureMapTest, CtrlWheelZoomsAboutTheMouseAndTheMenuInSteps) {
    auto view = ShowView({100, 80}, 200, 160);
    auto wheel = [&](QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    wheel({50, 40}, 120, Qt::ControlModifier);
    EXPECT_EQ(view->Zoom(), 1.5);
    // The picture point under the mouse stays there.
    EXPECT_EQ(view->horizontalScrollBar()->value(), 25);
    EXPECT_EQ(view->verticalScrollBar()->value(), 20);
    EXPECT_EQ(view->viewport()->grab().toImage().pixelColor(50, 40), PatternColor(50, 40));
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 300 - 100);

    // Half notches add up; a plain wheel scrolls.
    wheel({50, 40}, -60, Qt::ControlModifier);
    EXPECT_EQ(view->Zoom(), 1.5);
    wheel({50, 40}, -60, Qt::ControlModifier);
    EXPECT_EQ(view->Zoom(), 1.0);
    wheel({50, 40}, -120, Qt::NoModifier);
    EXPECT_EQ(view->Zoom(), 1.0);
    EXPECT_GT(view->verticalScrollBar()->value(), 0);

    view->OnZoomOut();
    EXPECT_DOUBLE_EQ(view->Zoom(), 2.0 / 3.0);
    for (int i = 0; i < 40; ++i)
        view->OnZoomIn();
    EXPECT_EQ(view->Zoom(), TextureMapView::kMaximumZoom);

    // Zoom to Fit comes at the end of the View menu, with its key; the other zoom commands are
    // the main window's, carried out by the view.
    const QList<ViewMenu> menus = view->Menus();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus.front().title, QStringLiteral("&View"));
    ASSERT_EQ(menus.front().actions.size(), 1);
    EXPECT_EQ(menus.front().actions[0]->text(), "Zoom to &Fit");
    EXPECT_EQ(menus.front().actions[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    for (StandardCommand command :
         {StandardCommand::ZoomIn, StandardCommand::ZoomOut, StandardCommand::ActualSize})
        EXPECT_TRUE(view->Supports(command));
    EXPECT_FALSE(view->Supports(StandardCommand::Cut));
    EXPECT_FALSE(view->CanRun(StandardCommand::ZoomIn)) << "no larger than the largest zoom";
    view->Run(StandardCommand::ActualSize);
    EXPECT_EQ(view->Zoom(), 1.0);
    EXPECT_TRUE(view->CanRun(StandardCommand::ZoomIn));
    view->Run(StandardCommand::ZoomOut);
    EXPECT_DOUBLE_EQ(view->Zoom(), 2.0 / 3.0);
}

// ---- the Create Texture Map dialog ----------------------------------------------------------

ProgramSettings DialogSettings() {
    ProgramSettings settings;
    settings.textureMapWidth = 120;
    settings.textureMapHeight = 60;
    settings.textureMapAspectRatio = 2.0f;
    settings.textureMapBrightness = 70;
    return settings;
}

class CreateTextureMapDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dialog.show();
        QApplication::setActiveWindow(&m_dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
    }
    template <class T = QLineEdit> T* Child(const char* name) {
        T* child = m_dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    /// Types into a field and leaves it with Tab, as a user does.
    void TypeAndLeave(const char* field, const char* text) {
        Child(field)->setFocus(Qt::MouseFocusReason);
        Child(field)->selectAll();
        QTest::keyClicks(Child(field), QString::fromLatin1(text));
        QTest::keyClick(Child(field), Qt::Key_Tab);
    }
    QString Text(const char* field) { return Child(field)->text(); }
    void Render() { QTest::mouseClick(Child<QPushButton>("renderButton"), Qt::LeftButton); }

    ProgramSettings m_settings = DialogSettings();
    MessageRecorder m_messages;
    CreateTextureMapDialog m_dialog{m_settings};
};

TEST_F(CreateTextureMapDialogTest, LeavingASizeKeepsTheAspectRatio) {
    EXPECT_EQ(Text("aspectEdit"), QStringLiteral("2.0"));
    TypeAndLeave("widthEdit", "300");
    EXPECT_EQ(Text("heightEdit"), QStringLiteral("150"));
    TypeAndLeave("heightEdit", "101");
    EXPECT_EQ(Text("widthEdit"), QStringLiteral("202"));
    Child("heightEdit")->setText(QStringLiteral("90"));
    TypeAndLeave("widthEdit", "202"); // unchanged: the height stays as typed
    EXPECT_EQ(Text("heightEdit"), QStringLiteral("90"));
    TypeAndLeave("heightEdit", "101");

    TypeAndLeave("aspectEdit", "0.3"); // leaving the aspect sets the width from the height
    EXPECT_EQ(Text("widthEdit"), QStringLiteral("30"));
    TypeAndLeave("widthEdit", "100");
    EXPECT_EQ(Text("heightEdit"), QStringLiteral("333"));

    ClickCheckBox(Child<QCheckBox>("keepAspectCheck")); // off: the sizes are independent
    TypeAndLeave("widthEdit", "500");
    EXPECT_EQ(Text("heightEdit"), QStringLiteral("333"));
    TypeAndLeave("aspectEdit", "1.5");
    ClickCheckBox(Child<QCheckBox>("keepAspectCheck")); // on again: the width follows at once
    EXPECT_EQ(Text("widthEdit"), QStringLiteral("499"));
    EXPECT_TRUE(m_messages.texts.empty());
}

TEST_F(CreateTextureMapDialogTest, RefusesBadFieldsWithTheStandardMessages) {
    Child("widthEdit")->setFocus(Qt::MouseFocusReason);
    Child("widthEdit")->setText(QStringLiteral("5"));
    Render();
    TypeAndLeave("widthEdit", "8192"); // the largest side
    TypeAndLeave("widthEdit", "8193"); // leaving the field checks it too
    Child("widthEdit")->setText(QStringLiteral("200"));
    Child("aspectEdit")->setText(QStringLiteral("wide"));
    Child("heightEdit")->setText(QStringLiteral("1x"));
    Render(); // stops at the first field refused
    EXPECT_EQ(m_dialog.focusWidget(), Child("heightEdit"));
    Child("heightEdit")->setText(QStringLiteral("100"));
    Render();
    Child("aspectEdit")->setText(QStringLiteral("2"));
    Child("brightnessEdit")->setText(QStringLiteral("101"));
    Render();
    // Each message names its field and what it takes, for text that is no number as well.
    const std::vector<QString> expected{"Width: please enter a whole number from 10 to 8192.",
                                        "Width: please enter a whole number from 10 to 8192.",
                                        "Height: please enter a whole number from 10 to 8192.",
                                        "Aspect ratio: please enter a number.",
                                        "Brightness: please enter a whole number from 0 to 100."};
    EXPECT_EQ(m_messages.texts, expected);
    EXPECT_TRUE(m_dialog.isVisible());

    // A width typed and rendered at once, without leaving the field, still sets the height.
    Child("brightnessEdit")->setText(QStringLiteral("100"));
    Child("widthEdit")->setFocus(Qt::MouseFocusReason);
    Child("widthEdit")->setText(QStringLiteral("300"));
    Render();
    EXPECT_EQ(m_messages.texts.size(), 5u);
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog.MapHeight(), 150);
    EXPECT_EQ(m_dialog.Brightness(), 100);
}

TEST_F(CreateTextureMapDialogTest, BrightnessControlsFollowTheOverride) {
    QSlider* slider = Child<QSlider>("brightnessSlider");
    EXPECT_EQ(slider->value(), 70);
    slider->setValue(35);
    EXPECT_EQ(Text("brightnessEdit"), QStringLiteral("35"));
    TypeAndLeave("brightnessEdit", "80");
    EXPECT_EQ(slider->value(), 35); // typing does not move the slider

    // Off: disabled, and a value that cannot be read is not checked (it cannot be corrected).
    TypeAndLeave("brightnessEdit", "bright");
    ClickCheckBox(Child<QCheckBox>("overrideCheck"));
    EXPECT_FALSE(Child<QLabel>("brightnessLabel")->isEnabled());
    EXPECT_FALSE(Child("brightnessEdit")->isEnabled());
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_TRUE(m_messages.texts.empty());
    ClickCheckBox(Child<QCheckBox>("overrideCheck")); // on again: enabled, and the field is read
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_EQ(m_messages.texts, std::vector<QString>{QStringLiteral(
                                    "Brightness: please enter a whole number from 0 to 100.")});
    ClickCheckBox(Child<QCheckBox>("overrideCheck"));
    Render();
    EXPECT_EQ(m_messages.texts.size(), 1u);
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(m_dialog.OverrideFinish());
}

TEST_F(CreateTextureMapDialogTest, OffersTheTilingsAndTellsTheSizeOfTheMap) {
    // Each choice has a name of its own and a key no other control of the dialog uses.
    QStringList keys;
    for (QWidget* widget : m_dialog.findChildren<QWidget*>()) {
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        const auto* label = qobject_cast<QLabel*>(widget);
        const QString text = button ? button->text() : label ? label->text() : QString();
        if (const qsizetype at = text.indexOf(QLatin1Char('&')); at >= 0 && at + 1 < text.size())
            keys << text.mid(at + 1, 1).toLower();
    }
    EXPECT_GE(keys.size(), 9);
    EXPECT_EQ(keys.removeDuplicates(), 0) << keys.join(' ').toStdString();
    QStringList names;
    for (const char* radio : {"tileNoneRadio", "tileEdgeFadeRadio", "tileMirrorRadio"})
        names << Child<QRadioButton>(radio)->accessibleName();
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 3);
    EXPECT_FALSE(names.contains(QString()));
    EXPECT_TRUE(Child<QRadioButton>("tileNoneRadio")->isChecked());

    // The size follows the fields and the tiling; Mirror doubles both sides.
    QLabel* size = Child<QLabel>("mapSizeLabel");
    EXPECT_EQ(size->text(), QString::fromUtf8("The map will be 120 \u00d7 60 pixels."));
    QTest::keyClick(&m_dialog, Qt::Key_I, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Child<QRadioButton>("tileMirrorRadio")->isChecked(); }));
    EXPECT_EQ(size->text(), QString::fromUtf8("The map will be 240 \u00d7 120 pixels."));
    TypeAndLeave("widthEdit", "256"); // the height follows at the aspect of 2
    EXPECT_EQ(size->text(), QString::fromUtf8("The map will be 512 \u00d7 256 pixels."));
    Child("heightEdit")->setText(QStringLiteral("300"));
    EXPECT_EQ(size->text(), QString::fromUtf8("The map will be 512 \u00d7 600 pixels."));
    Child("heightEdit")->setText(QStringLiteral("8193"));
    EXPECT_EQ(size->text(), QString());
    Child("heightEdit")->setText(QStringLiteral("128"));
    QTest::keyClick(&m_dialog, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Child<QRadioButton>("tileEdgeFadeRadio")->isChecked(); }));
    EXPECT_EQ(size->text(), QString::fromUtf8("The map will be 256 \u00d7 128 pixels."));

    Render();
    ASSERT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog.Tiling(), TileMethod::EdgeFade);
    m_dialog.CopyTo(m_settings);
    EXPECT_EQ(m_settings.textureMapTiling, 1);
    EXPECT_TRUE(m_messages.texts.empty());

    // The next dialog starts from the choice kept; a stored value it does not know is None.
    CreateTextureMapDialog next(m_settings);
    EXPECT_TRUE(next.findChild<QRadioButton*>(QStringLiteral("tileEdgeFadeRadio"))->isChecked());
    m_settings.textureMapTiling = 7;
    CreateTextureMapDialog unknown(m_settings);
    EXPECT_TRUE(unknown.findChild<QRadioButton*>(QStringLiteral("tileNoneRadio"))->isChecked());
    EXPECT_EQ(unknown.Tiling(), TileMethod::None);
}

// ---- the whole command ----------------------------------------------------------------------

/// The application as the command sees it: settings in a temporary program folder, the real
/// POV-Ray, and new texture maps with a window each.
class TextureMapApp : public FakeAppServices {
public:
    explicit TextureMapApp(const QString& folder) {
        Shapes() = BuiltinShapes();
        settings.programDirectory = folder;
        settings.textureMapWidth = 40, settings.textureMapHeight = 20,
        settings.textureMapUseAspectRatio = false;
        settings.parallelRenders = 1;
        newTextureMap = [this] {
            maps.push_back(m_kind.CreateDocument());
            views.emplace_back(static_cast<TextureMapView*>(m_kind.CreateView(*maps.back())));
            return maps.back().get();
        };
    }
    TextureMapDocument& Map() { return static_cast<TextureMapDocument&>(*maps.at(0)); }

    std::vector<std::unique_ptr<Document>> maps;
    std::vector<std::unique_ptr<TextureMapView>> views;

private:
    DocumentTemplate m_kind = TextureMapKind();
};

class CreateTextureMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_FALSE(m_app.Settings().EffectivePovExecutable().isEmpty())
            << "povray must be installed";
        m_red.SetName("Flat Red");
        m_red.pigment.color = {255, 0, 0, 0};
        m_red.finish.phong = 100;
    }
    /// Runs the command; `play` acts in the dialog once it is open and closes it.
    bool Run(const std::function<void(CreateTextureMapDialog&)>& play) {
        std::function<void()> poll = [&] {
            auto* dialog = qobject_cast<CreateTextureMapDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return QTimer::singleShot(10, poll);
            QApplication::setActiveWindow(
                dialog); // so that clicks move the focus as they do for a user
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            play(*dialog);
            if (dialog->isVisible()) { // left open by the script: end it rather than hang
                ADD_FAILURE() << "the dialog was left open";
                dialog->reject();
            }
        };
        QTimer::singleShot(0, poll);
        // The dialog closes at once; the map comes once its render has finished.
        TextureMapRender* render = RunCreateTextureMap(m_app, m_red, nullptr, &m_owner);
        if (!render)
            return false;
        EXPECT_TRUE(render->IsPending() || render->IsFinished());
        EXPECT_EQ(m_app.Renders().LeftFor(&m_owner), 1) << "the render counts for its catalog";
        EXPECT_EQ(m_app.shownProgress.back(), render) << "its progress shows in the status line";
        QSignalSpy finished(render, &QueuedRender::finished);
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000));
        return !m_app.maps.empty();
    }
    static void Type(CreateTextureMapDialog& dialog, const char* field, const char* text) {
        auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(field));
        edit->setFocus(Qt::MouseFocusReason);
        edit->setText(QString::fromLatin1(text));
    }
    static void Click(CreateTextureMapDialog& dialog, const char* button) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(button)),
                          Qt::LeftButton);
    }
    static bool AllPixels(const Pixels& pixels, Pixels bgr) {
        for (std::size_t i = 0; i < pixels.size(); i += 3)
            if (!std::equal(bgr.begin(), bgr.end(), pixels.begin() + std::ptrdiff_t(i)))
                return false;
        return !pixels.empty();
    }

    QTemporaryDir m_dir;
    TextureMapApp m_app{m_dir.path()};
    QObject m_owner; ///< the catalog the command was given in
    SimpleTexture m_red;
    MessageRecorder m_messages;
};

TEST_F(CreateTextureMapTest, RendersANewModifiedMapAndKeepsTheChoices) {
    ASSERT_TRUE(Run([](CreateTextureMapDialog& dialog) {
        Type(dialog, "brightnessEdit", "100");
        Type(dialog, "aspectEdit", "1.5");
        Click(dialog, "renderButton");
    }));
    EXPECT_TRUE(m_messages.texts.empty());
    ASSERT_EQ(m_app.maps.size(), 1u);
    EXPECT_EQ(m_app.Map().Width(), 40);
    EXPECT_EQ(m_app.Map().Height(), 20);
    EXPECT_EQ(m_app.Map().Image().Width(), 40);
    EXPECT_TRUE(AllPixels(m_app.Map().SourcePixels(), {0, 0, 255}));
    EXPECT_TRUE(m_app.Map().IsModified());
    EXPECT_EQ(m_app.Map().Title(), QString::fromUtf8("Flat Red 40\u00d720"))
        << "the window names the texture";
    // Saving proposes a name a shell and POV-Ray take as it is.
    QString proposed;
    Prompts::SetFileResponder([&](const QString&, const QString& start) {
        proposed = start;
        return QString();
    });
    EXPECT_FALSE(m_app.Map().SaveAs(nullptr));
    Prompts::SetFileResponder(nullptr);
    EXPECT_EQ(proposed, QStringLiteral("Flat_Red_40x20.bmp"));
    EXPECT_EQ(m_red.finish.phong, 100); // the catalog's texture is untouched
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    m_app.views[0]->resize(30, 15);
    m_app.views[0]->show();
    EXPECT_GT(m_app.views[0]->horizontalScrollBar()->maximum(), 0); // its window has the picture
    EXPECT_EQ(m_app.Settings().textureMapAspectRatio, 1.5f);
    EXPECT_EQ(m_app.Settings().textureMapBrightness, 100);
}

TEST_F(CreateTextureMapTest, TheMapComesTiledAsChosenAndTheChoiceIsKept) {
    ASSERT_TRUE(Run([](CreateTextureMapDialog& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("tileMirrorRadio"))->click();
        Click(dialog, "renderButton");
    }));
    ASSERT_EQ(m_app.maps.size(), 1u);
    TextureMapDocument& mirrored = m_app.Map();
    EXPECT_EQ(mirrored.AppliedTileMethod(), TileMethod::Mirror);
    EXPECT_EQ(mirrored.Width(), 40);
    EXPECT_EQ(mirrored.Image().Width(), 80);
    EXPECT_EQ(mirrored.Image().Height(), 40);
    EXPECT_EQ(Shown(mirrored.Image()), Mirror(mirrored.SourcePixels(), 40, 20));
    EXPECT_TRUE(mirrored.IsModified());
    EXPECT_EQ(mirrored.Title(), QString::fromUtf8("Flat Red 80\u00d740"));
    EXPECT_EQ(m_app.Settings().textureMapTiling, 2);

    ASSERT_TRUE(Run([](CreateTextureMapDialog& dialog) {
        EXPECT_EQ(dialog.Tiling(), TileMethod::Mirror);
        dialog.findChild<QRadioButton*>(QStringLiteral("tileEdgeFadeRadio"))->click();
        Click(dialog, "renderButton");
    }));
    ASSERT_EQ(m_app.maps.size(), 2u);
    const auto& faded = static_cast<TextureMapDocument&>(*m_app.maps[1]);
    EXPECT_EQ(faded.AppliedTileMethod(), TileMethod::EdgeFade);
    EXPECT_EQ(faded.Image().Width(), 40);
    EXPECT_EQ(faded.Title(), QString::fromUtf8("Flat Red 40\u00d720"));
    EXPECT_EQ(m_app.Settings().textureMapTiling, 1);
    EXPECT_TRUE(m_messages.texts.empty());
}

TEST_F(CreateTextureMapTest, BrightnessZeroRendersBlack) {
    ASSERT_TRUE(Run([](CreateTextureMapDialog& dialog) {
        Type(dialog, "brightnessEdit", "0");
        Click(dialog, "renderButton");
    }));
    ASSERT_EQ(m_app.maps.size(), 1u);
    EXPECT_TRUE(AllPixels(m_app.Map().SourcePixels(), {0, 0, 0}));
    EXPECT_EQ(m_app.Settings().textureMapBrightness, 0);
}

TEST_F(CreateTextureMapTest, CancelKeepsOnlyTheAntialiasingClick) {
    EXPECT_FALSE(Run([](CreateTextureMapDialog& dialog) {
        ClickCheckBox(dialog.findChild<QCheckBox*>(QStringLiteral("antialiasingCheck")));
        Type(dialog, "widthEdit", "nonsense"); // Cancel does not check the field being typed
        Click(dialog, "cancelButton");
    }));
    EXPECT_TRUE(m_app.maps.empty());
    EXPECT_TRUE(m_messages.texts.empty());
    EXPECT_EQ(m_app.Settings().antialiasing, 1);
    EXPECT_EQ(m_app.Settings().textureMapWidth, 40);
}

TEST_F(CreateTextureMapTest, SaveAsOffersPngAndTheChosenTypeEndsANameGivenWithoutOne) {
    // The real kind, with the file types a map is saved as, and the real file dialog.
    const std::unique_ptr<DocumentTemplate> kind = MakeTextureMapKind(m_app);
    std::unique_ptr<Document> map = kind->CreateDocument();
    map->SetUntitledTitle(QStringLiteral("Texture Map1"));
    static_cast<TextureMapDocument&>(*map).SetImage(Pattern(6, 4), 6, 4);
    const auto saveAs = [&](const QString& type, const QString& name) {
        QStringList offered;
        std::function<void()> answer = [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return QTimer::singleShot(10, answer);
            offered = dialog->nameFilters();
            dialog->selectNameFilter(type);
            dialog->selectFile(m_dir.filePath(name));
            static_cast<QDialog*>(dialog)->accept(); // as the Save button does
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the file dialog stayed open";
                dialog->reject();
            }
        };
        QTimer::singleShot(0, answer);
        EXPECT_TRUE(map->SaveAs(nullptr));
        return offered;
    };

    EXPECT_EQ(saveAs(QStringLiteral("PNG (*.png)"), QStringLiteral("granite")),
              (QStringList{"Bitmap (*.bmp)", "PNG (*.png)", "All Files (*)"}));
    EXPECT_EQ(map->Path().toStdString(),
              m_dir.filePath(QStringLiteral("granite.png")).toStdString());
    EXPECT_EQ(FileBytes(map->Path()).left(4), QByteArray("\x89PNG", 4));

    saveAs(QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("granite"));
    EXPECT_EQ(map->Path().toStdString(),
              m_dir.filePath(QStringLiteral("granite.bmp")).toStdString());
    EXPECT_EQ(FileBytes(map->Path()).left(2), QByteArray("BM"));

    // A name typed with its ending keeps it, whatever type is chosen.
    saveAs(QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("typed.png"));
    EXPECT_EQ(FileBytes(m_dir.filePath(QStringLiteral("typed.png"))).left(4),
              QByteArray("\x89PNG", 4));
}

TEST_F(CreateTextureMapTest, AFailedRenderShowsWhyAndMakesNoMap) {
    m_app.Settings().povExecutable = m_dir.filePath(QStringLiteral("no-such-povray"));
    EXPECT_FALSE(Run([](CreateTextureMapDialog& dialog) { Click(dialog, "renderButton"); }));
    EXPECT_TRUE(m_app.maps.empty());
    EXPECT_EQ(m_messages.texts.size(), 1u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
