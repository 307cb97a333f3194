#pragma once

// The multiple alignment parameter dialog: the minimum length for
// constant-cost insertion, the match score, a substitution matrix or a
// constant mismatch score, the gap penalties, the stop symbol and the row
// order. Go checks the boxes in order; a refused value is reported, its box
// gets its default back and the focus, and the dialog stays open.

#include <cstdint>

#include <QDialog>

#include "sequence/mRyt.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sequence::editor {

class frmRytMAP : public QDialog {
    Q_OBJECT
public:
    // seqKind 0: protein sequences; anything else: nucleotides.
    explicit frmRytMAP(std::int16_t seqKind, QWidget* parent = nullptr);

    // Shows the dialog modally. True after Go, with the out-parameters set
    // (misMatch only when the constant mismatch score was chosen); False
    // after Cancel, the out-parameters untouched.
    static bool GetMAPParam(std::int16_t seqKind, std::int32_t& minLenCCI, std::int32_t& gapOpen,
                            std::int32_t& gapExtend, std::int32_t& match, std::int32_t& misMatch, bool& useSubMat,
                            std::int32_t& subMatIndex, bool& hasStop, bool& keepOriginalOrder,
                            QWidget* parent = nullptr);

    void cmdDone_Click();
    void cmdCancel_Click();
    [[nodiscard]] bool isAccepted() const { return m_accepted; }
    // The kept values (valid after Go).
    [[nodiscard]] const MapParams& params() const { return m_params; }

    QGroupBox* frAlnGoodSeq = nullptr;
    QLabel* lblMinLenCCI = nullptr;
    QLineEdit* txtMinLenCCI = nullptr;
    QLabel* lblMatchScore = nullptr;
    QLineEdit* txtMatch = nullptr;
    QRadioButton* optSubMat = nullptr;
    QComboBox* cboSubMat = nullptr;
    QRadioButton* optMisMatch = nullptr;
    QLineEdit* txtMisMatch = nullptr;
    QLabel* lblOpen = nullptr;
    QLineEdit* txtGapOpen = nullptr;
    QLabel* lblGapExtend = nullptr;
    QLineEdit* txtGapExtend = nullptr;
    QCheckBox* chkHasStop = nullptr;
    QCheckBox* chkKeepOriginalOrder = nullptr;
    QPushButton* cmdDone = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    // Reports `message`, puts `fallback` back and focuses the box.
    void refuse(QLineEdit* box, const char* message, const char* fallback);

    MapParams m_params;
    bool m_accepted = false;
};

} // namespace sequence::editor
