#include "app/dialogs/editorfont.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QPixmap>
#include <QVBoxLayout>

namespace vernalo {

namespace {

// The basic colours' names as the colour list shows them, translated by their English name.
[[maybe_unused]] const char* const kBasicColorNames[] = {
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Black"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Maroon"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Green"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Olive"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Navy"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Purple"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Teal"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Gray"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Silver"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Red"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Lime"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Yellow"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Blue"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Fuchsia"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "Aqua"),
    QT_TRANSLATE_NOOP("vernalo::FontDialog", "White"),
};

}  // namespace

QColor DisplayColor(ColorCode color, const QPalette& pal) {
    if (color == kNoColor) return pal.color(QPalette::Text);
    if (!IsSystemColor(color))
        return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    static const QPalette::ColorRole roles[25] = {
        QPalette::Button,
        QPalette::Dark,
        QPalette::Highlight,
        QPalette::Mid,
        QPalette::Window,
        QPalette::Base,
        QPalette::Shadow,
        QPalette::WindowText,
        QPalette::Text,
        QPalette::HighlightedText,
        QPalette::Button,
        QPalette::Button,
        QPalette::Mid,
        QPalette::Highlight,
        QPalette::HighlightedText,
        QPalette::Button,
        QPalette::Dark,
        QPalette::Text,
        QPalette::ButtonText,
        QPalette::WindowText,
        QPalette::Light,
        QPalette::Shadow,
        QPalette::Midlight,
        QPalette::ToolTipText,
        QPalette::ToolTipBase,
    };
    const int i = SystemColorIndex(color);
    if (i == 17) return pal.color(QPalette::Disabled, QPalette::Text);  // grey text
    return pal.color(roles[i]);
}

ColorCode StoredColor(const QColor& c) {
    return Rgb(static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()),
               static_cast<unsigned>(c.blue()));
}

bool ChooseFont(QWidget* parent, QFont& font, ColorCode& color) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FontDialog1"));
    dialog.setWindowTitle(QCoreApplication::translate("vernalo::FontDialog", "Font"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fonts = new QFontDialog(font, &dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setWindowFlags(Qt::Widget);
    layout->addWidget(fonts);
    // The colour list offers the text colour of the desktop and the sixteen basic colours.
    auto* colors = new QComboBox(&dialog);
    colors->setObjectName(QStringLiteral("FontColor"));
    colors->setAccessibleName(QCoreApplication::translate("vernalo::FontDialog", "Color"));
    const QPalette pal = dialog.palette();
    auto add = [&](const QString& name, ColorCode value) {
        QPixmap swatch(16, 16);
        swatch.fill(DisplayColor(value, pal));
        colors->addItem(QIcon(swatch), name, QVariant::fromValue<quint32>(value));
    };
    add(QCoreApplication::translate("vernalo::FontDialog", "Window text"), kWindowTextColor);
    for (std::size_t i = 0; i < 16; ++i) {
        const QByteArray name =
            QString::fromStdU16String(std::u16string(ColorName(i).substr(2))).toUtf8();
        add(QCoreApplication::translate("vernalo::FontDialog", name.constData()), ColorValue(i));
    }
    int current = colors->findData(QVariant::fromValue<quint32>(color));
    if (current < 0) {
        add(QString::fromStdU16String(FormatColor(color)), color);
        current = colors->count() - 1;
    }
    colors->setCurrentIndex(current);
    auto* form = new QFormLayout;
    form->addRow(QCoreApplication::translate("vernalo::FontDialog", "&Color:"), colors);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    font = fonts->currentFont();
    color = colors->currentData().value<quint32>();
    return true;
}

}  // namespace vernalo
