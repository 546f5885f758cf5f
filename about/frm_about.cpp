#include "about/frm_about.h"

#include "about/about_layout.h"
#include "about/about_texts.h"
#include "ui/qt_control.h"
#include "ui/qt_twips.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>

namespace bayhaul {

frmAbout::frmAbout(QWidget* parent) : QWidget(parent, Qt::Window) {
    const AboutTexts texts = ComposeAboutTexts(ThisBuild());
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromStdString(texts.caption));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(TwipsToPixels(kAboutBoxWidthTwips, logicalDpiX()), TwipsToPixels(kAboutBoxHeightTwips, logicalDpiY()));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(QRgb(kAboutBoxBackColour)));
    setPalette(colours);

    const ControlTable& controls = AboutBoxControls();
    picIcon = MakeControl<QLabel>(*this, FindControl(controls, "picIcon"));
    picIcon->setPixmap(QPixmap(QStringLiteral(":/about/icon16.png")));
    lblTitle = MakeControl<QLabel>(*this, FindControl(controls, "lblTitle"));
    lblTitle->setText(QString::fromStdString(texts.title));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = MakeControl<QLabel>(*this, FindControl(controls, "lblVersion"));
    lblVersion->setText(QString::fromStdString(texts.version));
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (modifiers == Qt::NoModifier && (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        cmdOK_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace bayhaul
