#include "povrayrequired.h"
#include "render/files/sidefiles.h"
#include "render/settings/programsettings.h"
#include "ui/app/application.h"
#include "ui/app/mainwindow.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogprinter.h"
#include "ui/catalog/catalogview.h"
#include "ui/dialogs/preferencesdialog.h"
#include "ui/dialogs/startupnoticedialog.h"
#include "ui/framework/document.h"
#include "ui/framework/prompts.h"
#include "whenshown.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toUtf8());
        OpenSettingsStore()->clear();
        Prompts::SetMessageResponder([this](Prompts::Icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons) {
            m_messages << title + ": " + text;
            return QMessageBox::Ok;
        });
    }
    void TearDown() override { Prompts::SetMessageResponder(nullptr); }

    /// Starts the program and closes it again (as the user quitting), noting the settings
    /// stored before the exit and the status bar's message.
    void StartAndQuit(const QStringList& files = {}) {
        Application app;
        ASSERT_TRUE(app.Startup(files));
        m_storedAtStart = Stored();
        m_status = app.Frame().statusBar()->currentMessage();
        m_openTitles.clear();
        for (const auto& document : app.Documents())
            m_openTitles << document->Title();
        app.Frame().close();
    }
    /// Answers every dialog that opens while the program starts, noting its class: `act`
    /// answers it and returns true, or returns false to have it cancelled.
    void AnswerDialogs(std::function<bool(QDialog*)> act) {
        m_answer = std::move(act);
        auto* poll = new QTimer(&m_pollOwner);
        QObject::connect(poll, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QDialog*>(widget);
                if (!dialog || !dialog->isVisible() || !dialog->isModal())
                    continue;
                m_dialogs << QString::fromLatin1(dialog->metaObject()->className());
                if (!m_answer(dialog))
                    dialog->reject();
            }
        });
        poll->start(20);
    }
    void Store(const std::function<void(ProgramSettings&)>& change) {
        auto store = OpenSettingsStore();
        ProgramSettings settings;
        settings.Load(*store);
        change(settings);
        settings.Save(*store);
    }
    /// Settings of a program that has been set up: nothing is asked at start.
    void StoreEverythingSet() {
        Store([this](ProgramSettings& s) {
            s.programDirectory = m_dir.filePath("program");
            s.povExecutable = DefaultPovExecutable();
            s.displayMailingListDialog = false;
        });
    }
    ProgramSettings Stored() {
        ProgramSettings settings;
        settings.Load(*OpenSettingsStore());
        return settings;
    }

    QTemporaryDir m_dir;
    QStringList m_messages;
    QStringList m_openTitles;
    QStringList m_dialogs;
    QString m_status;
    ProgramSettings m_storedAtStart;
    std::function<bool(QDialog*)> m_answer;
    QObject m_pollOwner;
};

} // namespace

TEST_F(StartupTest, AFirstStartAsksOnceWithTheWelcomeAndWritesTheShapesQuietly) {
    QString shownDirectory;
    QString shownPov;
    QString welcome;
    AnswerDialogs([&](QDialog* dialog) {
        auto* sheet = qobject_cast<PreferencesDialog*>(dialog);
        if (!sheet)
            return false;
        shownDirectory = sheet->Page().ProgramDirectoryEdit()->text();
        shownPov = sheet->Page().ExecutableEdit()->text();
        if (sheet->WelcomeLabel())
            welcome = sheet->WelcomeLabel()->text();
        // The box starts clear; left so, the welcome comes back only while POV-Ray is missing.
        QCheckBox* again = sheet->DisplayAgainCheck();
        EXPECT_TRUE(again && !again->isChecked());
        sheet->accept();
        return true;
    });
    StartAndQuit();
    // One dialog: the Preferences, filled in, with the welcome in it; no message box.
    EXPECT_EQ(m_dialogs, QStringList{"PreferencesDialog"});
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
    EXPECT_EQ(shownDirectory, DefaultProgramDirectory());
    EXPECT_EQ(shownPov, DefaultPovExecutable());
    EXPECT_TRUE(welcome.startsWith("Welcome to Velvane")) << welcome.toStdString();
    // The settings were stored at OK, the welcome's check box among them.
    EXPECT_EQ(m_storedAtStart.programDirectory, DefaultProgramDirectory());
    EXPECT_EQ(Stored().displayMailingListDialog, 0);
    // The missing shape file was written without a word in the status bar.
    EXPECT_TRUE(QFile::exists(ShapeFilePath(DefaultProgramDirectory())));
    EXPECT_EQ(m_status.toStdString(), "Ready");
    // No named colour was made, so there is nothing to write at exit.
    EXPECT_FALSE(QFile::exists(ColorFilePath(DefaultProgramDirectory())));

    // Everything set: the second start asks nothing and reads the shapes silently.
    m_dialogs.clear();
    StartAndQuit();
    EXPECT_TRUE(m_dialogs.isEmpty()) << m_dialogs.join(' ').toStdString();
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
    EXPECT_EQ(m_status.toStdString(), "Ready");
}

TEST_F(StartupTest, AnEmptyPovRayPathMeansThePovRayOnThePath) {
    VELVANE_SKIP_WITHOUT_POVRAY(DefaultPovExecutable().isEmpty(), "povray is not on the PATH");
    Store([this](ProgramSettings& s) {
        s.programDirectory = m_dir.filePath("program");
        s.displayMailingListDialog = false;
    });
    AnswerDialogs([](QDialog* dialog) {
        dialog->reject();
        return true;
    });
    for (int start = 0; start < 2; ++start) {
        StartAndQuit();
        EXPECT_TRUE(m_dialogs.isEmpty())
            << "start " << start << ": " << m_dialogs.join(' ').toStdString();
        EXPECT_TRUE(Stored().povExecutable.isEmpty());
    }
}

TEST_F(StartupTest, WithoutAPovRayToRunEveryStartAsks) {
    Store([this](ProgramSettings& s) {
        s.programDirectory = m_dir.filePath("program");
        s.displayMailingListDialog = true;
    });
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
    qputenv("PATH", m_dir.filePath("empty").toUtf8()); // no povray to be found
    QString welcome;
    AnswerDialogs([&](QDialog* dialog) {
        if (auto* sheet = qobject_cast<PreferencesDialog*>(dialog))
            welcome = sheet->WelcomeLabel() ? sheet->WelcomeLabel()->text() : QString();
        dialog->reject();
        return true;
    });
    for (int start = 0; start < 2; ++start) {
        StartAndQuit();
        // The welcome is in the Preferences, not in a box of its own after them.
        EXPECT_EQ(m_dialogs, QStringList{"PreferencesDialog"}) << "start " << start;
        EXPECT_TRUE(welcome.endsWith("No povray program was found on your PATH: install POV-Ray "
                                     "(the povray package of your distribution) or name the "
                                     "program below."))
            << welcome.toStdString();
        EXPECT_TRUE(Stored().povExecutable.isEmpty());
        m_dialogs.clear();
    }
}

TEST_F(StartupTest, TheNoticeComesBackOnlyWhileThePovRayNamedIsMissing) {
    // A POV-Ray that can be run: no notice, even with the box ticked long ago.
    const QString fake = m_dir.filePath("povray");
    {
        QFile script(fake);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexit 0\n");
    }
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Store([&](ProgramSettings& s) {
        s.programDirectory = m_dir.filePath("program");
        s.povExecutable = fake;
        s.displayMailingListDialog = true;
    });
    AnswerDialogs([](QDialog* dialog) {
        dialog->accept();
        return true;
    });
    StartAndQuit();
    EXPECT_TRUE(m_dialogs.isEmpty()) << m_dialogs.join(' ').toStdString();
    EXPECT_EQ(Stored().displayMailingListDialog, 1);

    // The program named is gone: the notice comes, its box clear.
    ASSERT_TRUE(QFile::remove(fake));
    bool ticked = true;
    m_answer = [&](QDialog* dialog) {
        if (auto* notice = qobject_cast<StartupNoticeDialog*>(dialog))
            ticked = notice->DisplayAgain();
        dialog->accept();
        return true;
    };
    StartAndQuit();
    EXPECT_EQ(m_dialogs, QStringList{"StartupNoticeDialog"});
    EXPECT_FALSE(ticked);
}

TEST_F(StartupTest, TheNoticeCanBeTurnedOff) {
    Store([this](ProgramSettings& s) {
        s.programDirectory = m_dir.filePath("program");
        s.povExecutable = m_dir.filePath("gone/povray");
        s.displayMailingListDialog = true;
    });
    WhenShown<StartupNoticeDialog>([](StartupNoticeDialog* notice) {
        notice->DisplayAgainCheck()->setChecked(true);
        notice->accept();
    });
    StartAndQuit();
    EXPECT_EQ(Stored().displayMailingListDialog, 1);
    WhenShown<StartupNoticeDialog>([](StartupNoticeDialog* notice) { notice->accept(); });
    StartAndQuit();
    EXPECT_EQ(Stored().displayMailingListDialog, 0) << "left clear, it does not come again";
}

TEST_F(StartupTest, TheMainWindowStartsWhereItWasLeftTimeAfterTime) {
    StoreEverythingSet();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect chosen(available.left() + 40, available.top() + 30, 700, 500);
    QRect outer;
    QRect inner;
    {
        Application app;
        ASSERT_TRUE(app.Startup({}));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.Frame()));
        app.Frame().setGeometry(chosen); // where the user left it
        ASSERT_TRUE(QTest::qWaitFor([&] { return app.Frame().geometry() == chosen; }));
        outer = app.Frame().frameGeometry();
        inner = app.Frame().geometry();
        app.Frame().close();
    }
    for (int start = 1; start <= 3; ++start) {
        Application app;
        ASSERT_TRUE(app.Startup({}));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.Frame()));
        // Placed once the window shows: waited for, as a window manager may take its time.
        (void)QTest::qWaitFor([&] { return app.Frame().geometry() == inner; });
        EXPECT_EQ(app.Frame().geometry(), inner) << "start " << start;
        EXPECT_EQ(app.Frame().frameGeometry(), outer) << "start " << start;
        app.Frame().close();
    }
    // The frame's outer rectangle is kept as the program always kept it, too.
    auto store = OpenSettingsStore();
    EXPECT_EQ(store->value("Application State/Left").toInt(), outer.left());
    EXPECT_EQ(store->value("Application State/Top").toInt(), outer.top());
    EXPECT_EQ(store->value("Application State/Right").toInt(), outer.left() + outer.width());
    EXPECT_EQ(store->value("Application State/Bottom").toInt(), outer.top() + outer.height());
    EXPECT_EQ(store->value("Application State/Zoomed").toInt(), 0);
}

TEST_F(StartupTest, AWindowLeftOnALargerScreenIsFittedToThisOne) {
    StoreEverythingSet();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        Application app;
        ASSERT_TRUE(app.Startup({}));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.Frame()));
        // As if the screen had been three times as large.
        app.Frame().setGeometry(
            QRect(available.topLeft() + QPoint(available.width(), 40), available.size() * 2));
        app.Frame().close();
    }
    Application app;
    ASSERT_TRUE(app.Startup({}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.Frame()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return available.contains(app.Frame().frameGeometry()); }))
        << "frame " << app.Frame().frameGeometry().x() << "," << app.Frame().frameGeometry().y()
        << " " << app.Frame().frameGeometry().width() << "x"
        << app.Frame().frameGeometry().height();
    app.Frame().close();
}

TEST_F(StartupTest, FilesNamedOnTheCommandLineAreOpened) {
    StoreEverythingSet();
    StartAndQuit({QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv")});
    EXPECT_EQ(m_openTitles, QStringList{"sample.vlv"});
    auto store = OpenSettingsStore();
    EXPECT_TRUE(store->value("Recent File List/File1").toString().endsWith("examples/sample.vlv"));
}

TEST_F(StartupTest, PrintingDrawsTheGridOnPages) {
    StoreEverythingSet();
    Application app;
    ASSERT_TRUE(app.Startup({QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv")}));
    CatalogView* view = dynamic_cast<CatalogView*>(app.Frame().ActiveView());
    ASSERT_TRUE(view);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = m_dir.filePath("catalog.pdf");
    printer.setOutputFileName(pdf);
    view->Commands().Printer().Print(printer);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                  bytes.count("/Type /Page "),
              0);
    app.Frame().close();
}

TEST_F(StartupTest, NamedColorsAreWrittenOnlyAfterAChangeAndADamagedFileIsKept) {
    // A damaged colors.dat was read in part and silently rewritten with that part at exit.
    const QString program = m_dir.filePath("program");
    Store([&](ProgramSettings& s) {
        s.programDirectory = program;
        s.povExecutable = DefaultPovExecutable();
        s.displayMailingListDialog = false;
    });
    QDir().mkpath(program);
    NamedColorList colors;
    colors.push_back(std::make_unique<NamedColor>("Brick", ColorRGBF{178, 34, 34, 0}));
    colors.push_back(std::make_unique<NamedColor>("Sea", ColorRGBF{0, 105, 148, 20}));
    const QByteArray whole = StoredColors(colors);
    const QByteArray damaged = whole.left(whole.size() - 3);
    const QString path = ColorFilePath(program);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    StartAndQuit();
    const QStringList told = m_messages.filter("Color file error: ");
    ASSERT_EQ(told.size(), 1) << m_messages.join('\n').toStdString();
    EXPECT_TRUE(told[0].startsWith("Color file error: The named color file " + path +
                                   " cannot be read completely"))
        << told[0].toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
    file.close();

    // A change is written, the damaged file kept beside first.
    {
        Application app;
        ASSERT_TRUE(app.Startup({}));
        ASSERT_EQ(app.NamedColors().size(), 1u);
        app.NamedColors().push_back(std::make_unique<NamedColor>("Moss", ColorRGBF{50, 80, 20, 0}));
        app.Frame().close();
    }
    QFile kept(path + ".damaged");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), damaged);
    std::optional<SideFileNotice> notice;
    const NamedColorList saved = LoadColorFile(program, notice);
    EXPECT_FALSE(notice);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1]->GetName(), "Moss");
}
