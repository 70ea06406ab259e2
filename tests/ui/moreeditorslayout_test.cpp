// The Preview window, the shape editor, the Finish page, the IOR dialogs and the Layered Texture
// dialog at the default font: each fits a small screen, no control sticks out of its parent,
// and keyboard and screen-reader users reach every edit, slider and list by name.

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/shapes/builtinshapes.h"
#include "editorfixture.h"
#include "ui/editors/finishpage.h"
#include "ui/editors/iorpresetsdialog.h"
#include "ui/editors/iorvaluedialog.h"
#include "ui/editors/layeredtexturedialog.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/shapeeditordialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTemporaryDir>

namespace {

class LayoutTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_services.settings.programDirectory = m_dir.path();
        m_services.Shapes() = BuiltinShapes();
    }
    void Check(QWidget* window, const char* name) {
        window->show();
        QApplication::processEvents();
        const QSize size = window->frameGeometry().size();
        EXPECT_LE(size.width(), 1280) << name;
        EXPECT_LE(size.height(), 900) << name;
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(window) || !child->parentWidget() || child->isWindow())
                continue;
            if (qobject_cast<QLineEdit*>(child) || qobject_cast<QSlider*>(child) ||
                qobject_cast<QPlainTextEdit*>(child) || qobject_cast<QAbstractItemView*>(child)) {
                EXPECT_FALSE(child->accessibleName().isEmpty())
                    << name << ": " << child->objectName().toStdString();
                EXPECT_TRUE(child->focusPolicy() & Qt::TabFocus)
                    << name << ": " << child->objectName().toStdString();
            }
            if (auto* button = qobject_cast<QAbstractButton*>(child);
                button && !button->text().isEmpty()) {
                EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus)
                    << name << ": " << button->text().toStdString();
            }
            if (auto* label = qobject_cast<QLabel*>(child); label && label->text().contains('&')) {
                EXPECT_TRUE(label->buddy()) << name << ": " << label->text().toStdString();
            }
            EXPECT_TRUE(child->parentWidget()->rect().contains(child->geometry()))
                << name << ": " << child->metaObject()->className() << " "
                << child->objectName().toStdString();
        }
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(LayoutTest, EveryWindowIsTidyAndReachable) {
    SimpleTexture texture;
    texture.finish.refraction = 1;
    {
        PreviewWindow window(m_services, texture);
        Check(&window, "Preview");
    }
    {
        ShapeEditorDialog dialog(m_services);
        Check(&dialog, "Modify Custom Shape");
    }
    {
        FinishPage page(m_services, texture);
        Check(&page, "Finish");
    }
    {
        IorPresetsDialog dialog(m_services);
        Check(&dialog, "IOR Presets");
    }
    {
        IorValueDialog dialog;
        Check(&dialog, "IOR Value Dialog");
    }
    {
        LayeredTexture layered;
        layered.AddLayer(texture);
        LayeredTextureDialog dialog(m_services, layered);
        Check(&dialog, "Layered Texture");
    }
}
