# Precompiled headers for the targets built on Qt: most of their compile time goes into reading
# the same Qt (and GoogleTest) headers again for every file. Each file still includes what it
# uses; clang-tidy reads the sources without these headers (scripts/check-tidy.sh), so a missing
# include still shows.
option(VELVANE_PRECOMPILED_HEADERS "Precompile the Qt headers of the Qt targets" ON)

set(VELVANE_STANDARD_HEADERS <algorithm> <array> <functional> <memory> <optional> <string>
    <vector>)
set(VELVANE_QT_CORE_HEADERS <QByteArray> <QDir> <QFile> <QFileInfo> <QObject> <QProcess>
    <QString> <QStringList> <QTimer> ${VELVANE_STANDARD_HEADERS})
set(VELVANE_QT_WIDGETS_HEADERS <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog>
    <QDialogButtonBox> <QGridLayout> <QGroupBox> <QHBoxLayout> <QImage> <QLabel> <QLineEdit>
    <QListView> <QMainWindow> <QMenu> <QMessageBox> <QPainter> <QPlainTextEdit> <QPushButton>
    <QSlider> <QVBoxLayout> <QWidget> ${VELVANE_QT_CORE_HEADERS})
set(VELVANE_GTEST_HEADERS <gtest/gtest.h>)

# velvane_precompile_headers(TARGET HEADER...)
function(velvane_precompile_headers target)
    if(VELVANE_PRECOMPILED_HEADERS)
        target_precompile_headers(${target} PRIVATE ${ARGN})
    endif()
endfunction()
