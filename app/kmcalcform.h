#pragma once
// The km calculator window: edit boxes for flow, temperature and flow-cell
// geometry, the chain MW - radius - f - D - km with arrow buttons between its
// boxes, and Copy, which puts km on the clipboard. The conversions are
// TKmCalcCore's; the window only holds the texts. Created once and shown
// modally, so the boxes keep their texts between showings.
#include <QDialog>

#include "engine/calculator/km_calc.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kivra {

class TKmCalcForm : public QDialog, public TKmCalcCore {
    Q_OBJECT
public:
    explicit TKmCalcForm(QWidget* owner = nullptr);
    ~TKmCalcForm() override;

    QLineEdit* FlowBox = nullptr;
    QLineEdit* TempBox = nullptr;
    QFrame* Panel2 = nullptr;  // "Flow Cell"
    QLineEdit* HeightBox = nullptr;
    QLineEdit* LengthBox = nullptr;
    QLineEdit* WidthBox = nullptr;
    QFrame* Panel1 = nullptr;
    QLineEdit* MWBox = nullptr;
    QLineEdit* RadiusBox = nullptr;
    QLineEdit* FrictionBox = nullptr;
    QLineEdit* DiffBox = nullptr;
    QLineEdit* KmBox = nullptr;
    // Up: the box above from the box below; down: the box below from the one above.
    QToolButton* RadMWButton = nullptr;
    QToolButton* FRadButton = nullptr;
    QToolButton* DFButton = nullptr;
    QToolButton* KmDButton = nullptr;
    QToolButton* MWRadButton = nullptr;
    QToolButton* RadFButton = nullptr;
    QToolButton* FDButton = nullptr;
    QToolButton* DKmButton = nullptr;
    QToolButton* AllUpButton = nullptr;
    QToolButton* AllDownButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QPushButton* CopyButton = nullptr;

    void RadMWButtonClick(QObject* sender);
    void MWRadButtonClick(QObject* sender);
    void FRadButtonClick(QObject* sender);
    void RadFButtonClick(QObject* sender);
    void DFButtonClick(QObject* sender);
    void FDButtonClick(QObject* sender);
    void KmDButtonClick(QObject* sender);
    void DKmButtonClick(QObject* sender);
    void AllUpButtonClick(QObject* sender);
    void AllDownButtonClick(QObject* sender);
    void CloseButtonClick(QObject* sender);
    void CopyButtonClick(QObject* sender);

protected:
    std::string BoxText(KmCalcBox box) const override;
    void SetBoxText(KmCalcBox box, const std::string& text) override;

private:
    QLineEdit* Box(KmCalcBox box) const;
};

// The program's calculator, made at start-up.
extern TKmCalcForm* KmCalcForm;

} // namespace kivra
