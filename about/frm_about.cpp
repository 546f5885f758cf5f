#include "about/frm_about.h"

#include "about/about_texts.h"

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
    setFixedSize(300, 96);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xE8, 0xEF, 0xF6));
    setPalette(colours);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QPixmap(QStringLiteral(":/about/icon16.png")));
    picIcon->setGeometry(16, 16, 16, 16);

    lblTitle = new QLabel(QString::fromStdString(texts.title), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(44, 10, 240, 30);

    lblVersion = new QLabel(QString::fromStdString(texts.version), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(44, 46, 240, 24);
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
