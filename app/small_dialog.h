#pragma once
// What the small modal dialogs share: a fixed border, a place in the middle
// of the screen, the owner's font, and an OK button (the default) beside a
// Cancel button under the dialog's own controls.
#include <QBoxLayout>
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kivra {

class TSmallDialog : public QDialog {
    Q_OBJECT
public:
    TSmallDialog(QWidget* owner, const QString& caption);

    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    // OK closes the dialog with the OK result unless a dialog checks first.
    virtual void OKBtnClick() { accept(); }

protected:
    // The dialog's own controls go here, above the buttons.
    QBoxLayout* Body = nullptr;
    // The sunken frame around a dialog's controls, placed in Body.
    QFrame* MakeBevel();
    // A control with a caption and an object name, added to column.
    template <class Control>
    static Control* AddNamed(QWidget* parent, QBoxLayout* column, const char* caption, const char* name) {
        auto* control = new Control(QString::fromLatin1(caption), parent);
        control->setObjectName(QString::fromLatin1(name));
        column->addWidget(control);
        return control;
    }
    // A captioned edit box on a row of its own in column.
    static QLineEdit* AddLabelledBox(QWidget* parent, QBoxLayout* column, QLabel*& label,
                                     const char* caption, const char* name, const char* text);
    // Call once the controls are in: the dialog takes at least its design
    // client size, more when its texts need it, and keeps that size.
    void FixSize(int width, int height);
    void showEvent(QShowEvent* event) override;
};

} // namespace kivra
