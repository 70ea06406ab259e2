#pragma once

#include "render/settings/programsettings.h"

#include <QDialog>
#include <QString>
#include <QWidget>
#include <memory>

class AppServices;
struct ProgramSettings;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

/// What the Preferences page edits.
struct PreferenceValues {
    QString programDirectory;
    QString povExecutable;
    float threshold = 0.2f;
    /// 0, 1, 2 for 2x2, 3x3, 4x4 ("Rays Per Pixel" - 2).
    int raysIndex = 1;
    /// 0 automatic, 1 classic, 2 POV-Ray 3.7.
    int commandStyle = 0;
    /// 0: Automatic, the number the machine's cores and memory allow (automaticRenders).
    int parallelRenders = 0;
    int automaticRenders = 4;
    /// Seconds a render may take; 0 for no limit.
    int renderTimeLimit = kDefaultRenderTimeLimit;
    /// Whether the source texture editor wraps long lines.
    bool wrapSourceLines = true;
    /// The scene gamma of thumbnails and the Preview.
    SceneGamma sceneGamma = SceneGamma::Older;
    /// Whether the editors show values as POV-Ray writes them.
    bool povRayNumbers = false;
};

/// The "Settings" page of the Preferences: where the program keeps its files, which POV-Ray
/// it runs and how that antialiases and is called.
class PathsPage : public QWidget {
    Q_OBJECT
public:
    explicit PathsPage(QWidget* parent = nullptr);
    ~PathsPage() override;

    /// Takes the values and shows them in the fields.
    void SetValues(const PreferenceValues& values);
    /// The values as last set or read.
    const PreferenceValues& Values() const { return m_values; }
    /// Reads the fields into the values; a threshold that is no number in 0.0-3.0 is refused
    /// with the standard message, its field gets the focus and false is returned.
    bool ReadFields();
    /// Shows the values in the fields (the threshold with three decimals).
    void ShowFields();

    QLineEdit* ProgramDirectoryEdit() const { return m_programDirectory; }
    QLineEdit* ExecutableEdit() const { return m_executable; }
    QLineEdit* ThresholdEdit() const { return m_threshold; }
    QRadioButton* RaysButton(int index) const;
    QComboBox* StyleCombo() const { return m_style; }
    QSpinBox* ParallelSpin() const { return m_parallel; }
    /// What Parallel Renders means, under the row.
    static constexpr const char* kParallelRendersMeaning =
        "Parallel Renders: how many POV-Ray runs render thumbnails at once. Each run renders up to "
        "16 thumbnails one after another; the Preview always goes first. Automatic follows the "
        "processors and memory of this machine.";
    QSpinBox* TimeLimitSpin() const { return m_timeLimit; }
    /// What Render Time Limit means (%1: the default, in seconds).
    static constexpr const char* kTimeLimitMeaning =
        "POV-Ray is ended when a picture (a thumbnail, a frame of a batch, the Preview) takes "
        "longer; a texture map may take this long for every 512 × 512 pixels. Unless you choose "
        "otherwise it is %1 s; None waits for every render to end.";
    /// The scene gamma: "as POV-Ray 3.7 scenes: assumed_gamma 1.0" or "as older scenes".
    QComboBox* GammaCombo() const { return m_gamma; }
    /// What Scene Gamma means.
    static constexpr const char* kGammaMeaning =
        "How thumbnails and the Preview show colours: as in scenes written for POV-Ray 3.7 "
        "(#version 3.7 and assumed_gamma 1.0), or as in older scenes, which declare neither. "
        "A texture imported from a file that declares one is shown as its file says. Thumbnails "
        "already made stay as they are until you render them again.";
    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* TestButton() const { return m_test; }
    QCheckBox* WrapCheck() const { return m_wrap; }
    /// "Show values as POV-Ray writes them".
    QCheckBox* PovRayNumbersCheck() const { return m_povRayNumbers; }
    /// What that box means.
    static constexpr const char* kPovRayNumbersMeaning =
        "The edit sheet, the Color Map dialog and the Color Selector show hundredths (ambient, "
        "bumps, omega, phase...) and colour channels as the numbers POV-Ray writes: 0.8 rather "
        "than 80, 0.502 rather than 128. The texture keeps the same values; a number you type is "
        "kept to the nearest hundredth, or to the nearest of the 256 steps of a colour channel. "
        "Editors opened from now on show it.";

    /// Runs "EXE --version" and a tiny render with the executable and style in the fields, in
    /// the background, and tells the user how it went once they are through.
    void TestPovRay();
    /// True while such a test runs.
    bool IsTesting() const { return m_testing != nullptr; }

signals:
    /// A test of POV-Ray ended and its message was shown.
    void testFinished();

private:
    class PovRayTest;

    void Browse();
    void TestEnded();

    PreferenceValues m_values;
    QLineEdit* m_programDirectory = nullptr;
    QLineEdit* m_executable = nullptr;
    QPushButton* m_browse = nullptr;
    QLineEdit* m_threshold = nullptr;
    QButtonGroup* m_rays = nullptr;
    QComboBox* m_style = nullptr;
    QSpinBox* m_parallel = nullptr;
    QLabel* m_parallelNote = nullptr;
    QSpinBox* m_timeLimit = nullptr;
    QComboBox* m_gamma = nullptr;
    QPushButton* m_test = nullptr;
    QCheckBox* m_wrap = nullptr;
    QCheckBox* m_povRayNumbers = nullptr;
    std::unique_ptr<PovRayTest> m_testing;
};

/// The Preferences sheet: one "Settings" page with OK, Cancel and Help. At a first start it
/// also welcomes the user.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    /// `app` opens the help (topic 2); it may be null where there is no help.
    explicit PreferencesDialog(AppServices* app, QWidget* parent = nullptr);

    PathsPage& Page() const { return *m_page; }
    QDialogButtonBox* Buttons() const { return m_buttons; }

    /// Puts the welcome above the settings, with the start-up notice's check box
    /// "&Display this message again." set to `displayAgain`.
    void ShowWelcome(bool displayAgain);
    QLabel* WelcomeLabel() const { return m_welcome; }
    QCheckBox* DisplayAgainCheck() const { return m_displayAgain; }

    /// OK: the page's fields must read cleanly, or the sheet stays open.
    void accept() override;

private:
    AppServices* m_app;
    QTabWidget* m_tabs = nullptr;
    PathsPage* m_page = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QLabel* m_welcome = nullptr;
    QCheckBox* m_displayAgain = nullptr;
};

/// Why the Preferences are shown: the command, or the first start, which welcomes the user too.
enum class PreferencesOccasion { Command, FirstStart };

/// The Preferences: shows the sheet filled from the settings (an empty program directory as the
/// per-user data folder, an empty POV-Ray as the one on the PATH); OK stores the values (at a
/// first start also whether the welcome comes again) and saves the settings at once (true),
/// Cancel changes nothing (false).
bool RunPreferences(AppServices& app, QWidget* parent,
                    PreferencesOccasion occasion = PreferencesOccasion::Command);

/// Whether the program must ask for its settings before it can render: no program directory has
/// been chosen yet (a first start), or no POV-Ray is named and none is found on the PATH.
bool NeedsPreferences(const ProgramSettings& settings);
