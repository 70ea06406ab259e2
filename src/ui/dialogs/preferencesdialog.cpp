#include "ui/dialogs/preferencesdialog.h"

#include "core/model/numberformat.h"
#include "core/model/simpletexture.h"
#include "core/shapes/shapelist.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/povversion.h"
#include "render/povray/renderqueue.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/startupnoticedialog.h"
#include "ui/dialogs/validation.h"
#include "ui/framework/appservices.h"
#include "ui/framework/helpcontext.h"
#include "ui/framework/prompts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

constexpr const char* kTitle = "Velvane";
constexpr float kMinimumThreshold = 0.0f;
constexpr float kMaximumThreshold = 3.0f;
constexpr int kMaximumTimeLimit = 86400; // a day, in seconds
constexpr int kTestImageSize = 32;
constexpr int kVersionTimeoutMs = 10000;

} // namespace

PathsPage::PathsPage(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Settings"));

    m_programDirectory = new QLineEdit(this);
    m_programDirectory->setObjectName(QStringLiteral("programDirectoryEdit"));
    auto* directoryLabel = new QLabel(QStringLiteral("Program &Directory"), this);
    directoryLabel->setBuddy(m_programDirectory);

    m_executable = new QLineEdit(this);
    m_executable->setObjectName(QStringLiteral("executableEdit"));
    // What an empty field stands for.
    m_executable->setPlaceholderText(DefaultPovExecutable().isEmpty()
                                         ? QStringLiteral("povray on the PATH (none found)")
                                         : QStringLiteral("povray on the PATH"));
    auto* executableLabel = new QLabel(QStringLiteral("POV-Ray &Executable"), this);
    executableLabel->setBuddy(m_executable);
    m_browse = new QPushButton(QStringLiteral("&Browse..."), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setAutoDefault(false);
    connect(m_browse, &QPushButton::clicked, this, &PathsPage::Browse);

    auto* antialiasing = new QGroupBox(QStringLiteral("Antialiasing"), this);
    m_threshold = new QLineEdit(antialiasing);
    m_threshold->setObjectName(QStringLiteral("thresholdEdit"));
    auto* thresholdLabel = new QLabel(QStringLiteral("&Threshold"), antialiasing);
    thresholdLabel->setBuddy(m_threshold);
    auto* raysLabel = new QLabel(QStringLiteral("Rays per Pixel"), antialiasing);
    m_rays = new QButtonGroup(this);
    auto* raysRow = new QHBoxLayout;
    const char* raysTexts[] = {"&2x2", "&3x3", "&4x4"};
    for (int index = 0; index < 3; ++index) {
        auto* button = new QRadioButton(QString::fromLatin1(raysTexts[index]), antialiasing);
        button->setObjectName(QStringLiteral("rays%1Radio").arg(index));
        m_rays->addButton(button, index);
        raysRow->addWidget(button);
    }
    raysRow->addStretch(1);
    auto* antialiasingLayout = new QGridLayout(antialiasing);
    antialiasingLayout->addWidget(thresholdLabel, 0, 0);
    antialiasingLayout->addWidget(m_threshold, 0, 1);
    antialiasingLayout->addWidget(raysLabel, 1, 0);
    antialiasingLayout->addLayout(raysRow, 1, 1);

    m_style = new QComboBox(this);
    m_style->setObjectName(QStringLiteral("styleCombo"));
    m_style->addItems(
        {QStringLiteral("Automatic"), QStringLiteral("Classic"), QStringLiteral("POV-Ray 3.7")});
    auto* styleLabel = new QLabel(QStringLiteral("POV Command &Style"), this);
    LabelFor(styleLabel, m_style);

    m_parallel = new QSpinBox(this);
    m_parallel->setObjectName(QStringLiteral("parallelSpin"));
    m_parallel->setRange(0, kMaximumParallelRenders);
    auto* parallelLabel = new QLabel(QStringLiteral("&Parallel Renders"), this);
    parallelLabel->setBuddy(m_parallel);
    m_parallel->setMinimumWidth(
        m_parallel->fontMetrics().horizontalAdvance(QStringLiteral("Automatic (000)")) + 48);
    m_parallelNote =
        new QLabel(QString::fromUtf8(kParallelRendersMeaning) +
                       QStringLiteral(" Here Automatic runs ") + DefaultParallelRendersReason(),
                   this);
    m_parallelNote->setObjectName(QStringLiteral("parallelNote"));
    m_parallelNote->setWordWrap(true);
    m_parallel->setAccessibleDescription(m_parallelNote->text());

    m_timeLimit = new QSpinBox(this);
    m_timeLimit->setObjectName(QStringLiteral("timeLimitSpin"));
    m_timeLimit->setRange(0, kMaximumTimeLimit);
    m_timeLimit->setSuffix(QStringLiteral(" s"));
    m_timeLimit->setSpecialValueText(QStringLiteral("None"));
    m_timeLimit->setToolTip(QString::fromUtf8(kTimeLimitMeaning).arg(kDefaultRenderTimeLimit));
    m_timeLimit->setAccessibleDescription(m_timeLimit->toolTip());
    auto* timeLimitLabel = new QLabel(QStringLiteral("Render Time &Limit"), this);
    timeLimitLabel->setBuddy(m_timeLimit);

    m_gamma = new QComboBox(this);
    m_gamma->setObjectName(QStringLiteral("gammaCombo"));
    for (const SceneGamma gamma : {SceneGamma::Pov37, SceneGamma::Older})
        m_gamma->addItem(QString::fromUtf8(SceneGammaName(gamma)), static_cast<int>(gamma));
    m_gamma->setToolTip(QString::fromUtf8(kGammaMeaning));
    m_gamma->setAccessibleDescription(m_gamma->toolTip());
    auto* gammaLabel = new QLabel(QStringLiteral("Scene &Gamma"), this);
    LabelFor(gammaLabel, m_gamma);

    m_test = new QPushButton(QStringLiteral("Test P&OV-Ray"), this);
    m_test->setObjectName(QStringLiteral("testButton"));
    m_test->setAutoDefault(false);
    connect(m_test, &QPushButton::clicked, this, &PathsPage::TestPovRay);

    m_wrap = new QCheckBox(QStringLiteral("&Wrap long lines in the source editor"), this);
    m_wrap->setObjectName(QStringLiteral("wrapCheck"));
    m_wrap->setAccessibleName(QStringLiteral("Wrap long lines in the source editor"));

    m_povRayNumbers = new QCheckBox(QStringLiteral("Show &values as POV-Ray writes them"), this);
    m_povRayNumbers->setObjectName(QStringLiteral("povRayNumbersCheck"));
    m_povRayNumbers->setAccessibleName(QStringLiteral("Show values as POV-Ray writes them"));
    m_povRayNumbers->setToolTip(QString::fromUtf8(kPovRayNumbersMeaning));
    m_povRayNumbers->setAccessibleDescription(m_povRayNumbers->toolTip());

    auto* note = new QLabel(
        QStringLiteral(
            "Velvane runs your own POV-Ray to render thumbnails and texture maps. POV-Ray 3.7 as "
            "installed by your distribution (for example the povray package) is recommended. Press "
            "Help for information on setting up POV-Ray."),
        this);
    note->setObjectName(QStringLiteral("noteLabel"));
    note->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->addWidget(directoryLabel, 0, 0);
    grid->addWidget(m_programDirectory, 0, 1, 1, 2);
    grid->addWidget(executableLabel, 1, 0);
    grid->addWidget(m_executable, 1, 1);
    grid->addWidget(m_browse, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* povRow = new QGridLayout;
    povRow->addWidget(styleLabel, 0, 0);
    povRow->addWidget(m_style, 0, 1);
    povRow->addWidget(parallelLabel, 1, 0);
    povRow->addWidget(m_parallel, 1, 1);
    povRow->addWidget(m_parallelNote, 3, 0, 1, 4);
    povRow->addWidget(timeLimitLabel, 2, 0);
    povRow->addWidget(m_timeLimit, 2, 1);
    povRow->addWidget(gammaLabel, 4, 0);
    povRow->addWidget(m_gamma, 4, 1, 1, 3);
    povRow->addWidget(m_test, 0, 3);
    povRow->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(antialiasing);
    layout->addLayout(povRow);
    layout->addWidget(m_wrap);
    layout->addWidget(m_povRayNumbers);
    layout->addWidget(note);
    layout->addStretch(1);

    ShowFields();
}

QRadioButton* PathsPage::RaysButton(int index) const {
    return qobject_cast<QRadioButton*>(m_rays->button(index));
}

void PathsPage::SetValues(const PreferenceValues& values) {
    m_values = values;
    ShowFields();
}

void PathsPage::ShowFields() {
    m_programDirectory->setText(m_values.programDirectory);
    m_executable->setText(m_values.povExecutable);
    m_threshold->setText(QString::fromStdString(FormatFixed(m_values.threshold, 3)));
    if (QAbstractButton* button = m_rays->button(m_values.raysIndex))
        button->setChecked(true);
    m_style->setCurrentIndex(std::clamp(m_values.commandStyle, 0, m_style->count() - 1));
    m_parallel->setSpecialValueText(
        QStringLiteral("Automatic (%1)").arg(m_values.automaticRenders));
    m_parallel->setValue(m_values.parallelRenders);
    m_timeLimit->setValue(m_values.renderTimeLimit);
    m_wrap->setChecked(m_values.wrapSourceLines);
    m_gamma->setCurrentIndex(m_gamma->findData(static_cast<int>(m_values.sceneGamma)));
    m_povRayNumbers->setChecked(m_values.povRayNumbers);
}

bool PathsPage::ReadFields() {
    const auto threshold =
        Validation::ReadNumber(m_threshold, kMinimumThreshold, kMaximumThreshold, this);
    if (!threshold)
        return false;
    m_values.threshold = *threshold;
    m_values.programDirectory = m_programDirectory->text();
    m_values.povExecutable = m_executable->text();
    if (m_rays->checkedId() >= 0)
        m_values.raysIndex = m_rays->checkedId();
    m_values.commandStyle = m_style->currentIndex();
    m_values.parallelRenders = m_parallel->value();
    m_values.renderTimeLimit = m_timeLimit->value();
    m_values.wrapSourceLines = m_wrap->isChecked();
    m_values.sceneGamma = static_cast<SceneGamma>(m_gamma->currentData().toInt());
    m_values.povRayNumbers = m_povRayNumbers->isChecked();
    return true;
}

void PathsPage::Browse() {
    // Programs on Linux have no extension of their own, so every file is offered.
    const QString path = Prompts::OpenFileName(this, QStringLiteral("Browse"), m_executable->text(),
                                               QStringLiteral("Executables (*)"));
    if (!path.isEmpty())
        m_executable->setText(path);
}

/// A test of a POV-Ray: its version, then a tiny render in a program folder and queue of its
/// own, so that nothing of the program's is touched.
class PathsPage::PovRayTest : public QObject {
public:
    PovRayTest(const QString& field, int style, std::function<void()> done)
        : m_done(std::move(done)) {
        m_settings.programDirectory = m_folder.path();
        m_settings.povExecutable = field;
        m_settings.povCommandStyle = style;
        m_settings.antialiasing = false;
        m_runner = std::make_unique<PovRayRunner>(m_settings, m_shapes); // its own sphere
        m_queue = std::make_unique<RenderQueue>(*m_runner, [] { return 1; });
        connect(&m_probe, &PovVersionProbe::finished, this, [this](const QString& output) {
            m_version = PovVersionLine(output);
            Render();
        });
        m_probe.Start(field.isEmpty() ? DefaultPovExecutable() : field, kVersionTimeoutMs);
    }

    const RenderResult& Result() const { return m_result; }
    const QString& Version() const { return m_version; }

private:
    void Render() {
        if (!m_folder.isValid()) {
            Finish(RenderResult::Failure(RenderResult::FileFailed, QString::fromUtf8(kTitle),
                                         m_folder.errorString()));
            return;
        }
        const SimpleTexture texture;
        m_render = std::make_unique<PictureRender>(texture, kTestImageSize, kTestImageSize);
        m_render->SetCaption(QStringLiteral("Testing POV-Ray..."));
        connect(m_render.get(), &QueuedRender::finished, this,
                [this](const RenderResult& result) { Finish(result); });
        m_render->Start(*m_queue);
    }

    void Finish(const RenderResult& result) {
        m_result = result;
        m_done(); // may destroy the test
    }

    QTemporaryDir m_folder;
    ProgramSettings m_settings;
    const ShapeList m_shapes;
    std::unique_ptr<PovRayRunner> m_runner;
    std::unique_ptr<RenderQueue> m_queue;
    PovVersionProbe m_probe;
    std::unique_ptr<PictureRender> m_render;
    QString m_version;
    RenderResult m_result;
    std::function<void()> m_done;
};

PathsPage::~PathsPage() = default;

void PathsPage::TestPovRay() {
    if (m_testing)
        return;
    m_test->setEnabled(false);
    m_testing = std::make_unique<PovRayTest>(m_executable->text().trimmed(),
                                             m_style->currentIndex(), [this] { TestEnded(); });
}

void PathsPage::TestEnded() {
    const std::unique_ptr<PovRayTest> test = std::move(m_testing);
    m_test->setEnabled(true);
    const RenderResult& result = test->Result();
    if (result.Succeeded()) {
        const QString name =
            test->Version().isEmpty() ? QStringLiteral("POV-Ray") : test->Version();
        Prompts::Message(this, Prompts::Icon::Information, QString::fromUtf8(kTitle),
                         name + QStringLiteral(" renders correctly."));
    } else {
        const QString message = result.message.isEmpty()
                                    ? QString::fromUtf8(RenderMessages::PovRayFailed)
                                    : result.message;
        Prompts::Message(this, Prompts::Icon::Warning,
                         result.title.isEmpty() ? QString::fromUtf8(kTitle) : result.title,
                         message);
    }
    emit testFinished();
}

PreferencesDialog::PreferencesDialog(AppServices* app, QWidget* parent)
    : QDialog(parent), m_app(app) {
    setWindowTitle(QStringLiteral("Preferences"));
    m_tabs = new QTabWidget(this);
    m_page = new PathsPage(m_tabs);
    m_tabs->addTab(m_page, QStringLiteral("Settings"));

    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &PreferencesDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PreferencesDialog::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (m_app)
            m_app->ShowHelp(HelpContext::Preferences);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    resize(std::max(sizeHint().width(), 520), sizeHint().height());
}

void PreferencesDialog::ShowWelcome(bool displayAgain) {
    if (m_welcome)
        return;
    const QString povray =
        DefaultPovExecutable().isEmpty()
            ? QStringLiteral("No povray program was found on your PATH: install POV-Ray (the "
                             "povray package of your distribution) or name the program below.")
            : QStringLiteral("Check where Velvane keeps its files and which POV-Ray it runs, "
                             "then press OK. Test POV-Ray tries a render.");
    m_welcome = new QLabel(WelcomeText() + QStringLiteral("\n\n") + povray, this);
    m_welcome->setObjectName(QStringLiteral("welcomeLabel"));
    m_welcome->setWordWrap(true);
    m_displayAgain = new QCheckBox(QString::fromLatin1(kDisplayAgainText), this);
    m_displayAgain->setObjectName(QStringLiteral("displayAgainCheck"));
    m_displayAgain->setChecked(displayAgain);
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(0, m_welcome);
    layout->insertWidget(1, m_displayAgain);
    setWindowTitle(QStringLiteral("Preferences - Welcome to Velvane"));
    resize(width(), sizeHint().height());
}

void PreferencesDialog::accept() {
    if (m_page->ReadFields())
        QDialog::accept();
}

bool NeedsPreferences(const ProgramSettings& settings) {
    return settings.programDirectory.isEmpty() || settings.EffectivePovExecutable().isEmpty();
}

bool RunPreferences(AppServices& app, QWidget* parent, PreferencesOccasion occasion) {
    ProgramSettings& settings = app.Settings();
    PreferenceValues values;
    values.programDirectory =
        settings.programDirectory.isEmpty() ? DefaultProgramDirectory() : settings.programDirectory;
    values.povExecutable =
        settings.povExecutable.isEmpty() ? DefaultPovExecutable() : settings.povExecutable;
    values.threshold = settings.antialiasingThreshold;
    values.raysIndex = std::clamp(settings.raysPerPixel - 2, 0, 2);
    values.commandStyle = std::clamp(settings.povCommandStyle, 0, 2);
    values.automaticRenders = DefaultParallelRenders();
    values.parallelRenders = settings.parallelRendersChosen
                                 ? std::clamp(settings.parallelRenders, 1, kMaximumParallelRenders)
                                 : 0;
    values.renderTimeLimit = std::clamp(settings.renderTimeLimit, 0, kMaximumTimeLimit);
    values.wrapSourceLines = settings.wrapSourceLines;
    values.sceneGamma = settings.sceneGamma;
    values.povRayNumbers = settings.povRayNumbers;

    PreferencesDialog sheet(&app, parent);
    sheet.Page().SetValues(values);
    if (occasion == PreferencesOccasion::FirstStart)
        sheet.ShowWelcome(false); // it comes back by itself while no POV-Ray is found
    if (sheet.exec() != QDialog::Accepted)
        return false;

    const PreferenceValues& chosen = sheet.Page().Values();
    settings.programDirectory = chosen.programDirectory;
    settings.povExecutable = chosen.povExecutable;
    settings.antialiasingThreshold = chosen.threshold;
    settings.raysPerPixel = chosen.raysIndex + 2;
    settings.povCommandStyle = chosen.commandStyle;
    // A number is the user's choice; Automatic keeps following the machine.
    settings.parallelRendersChosen = chosen.parallelRenders > 0;
    settings.parallelRenders =
        chosen.parallelRenders > 0 ? chosen.parallelRenders : values.automaticRenders;
    // Left as it was shown, a limit nobody chose keeps following the default.
    settings.renderTimeLimitChosen =
        settings.renderTimeLimitChosen || chosen.renderTimeLimit != values.renderTimeLimit;
    settings.renderTimeLimit = chosen.renderTimeLimit;
    settings.wrapSourceLines = chosen.wrapSourceLines;
    settings.sceneGamma = chosen.sceneGamma;
    settings.povRayNumbers = chosen.povRayNumbers;
    if (sheet.DisplayAgainCheck())
        settings.displayMailingListDialog = sheet.DisplayAgainCheck()->isChecked();
    app.SaveSettings();
    return true;
}
