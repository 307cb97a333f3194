#include "sequence/editor/frmRytMAP.h"

#include <cmath>
#include <limits>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/dialogs/Dialogs.h"
#include "platform/runtime/Convert.h"
#include "sequence/SubMatData.h"
#include "shell/core/ProgramInfo.h"

namespace sequence::editor {

namespace {

// The leading number of a box's text (0 when none); a value beyond the range
// of a double reads as an infinity of its sign.
double boxValue(const QLineEdit* box) { return platform::rt::ReadLeadingNumber(box->text().toStdString()).value; }

// Rounds half to even, as the kept whole numbers are rounded.
std::int32_t whole(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

// "" when the value rounds to a 32-bit whole number, else the refusal naming
// the field and the bound it passes.
std::string outOfRange(double value, const char* field)
{
    const double rounded = std::nearbyint(value);
    if (rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::string(field) + " is too large: it can be at most " +
               std::to_string(std::numeric_limits<std::int32_t>::max()) + ".";
    }
    if (rounded < std::numeric_limits<std::int32_t>::min()) {
        return std::string(field) + " is too small: it can be at least " +
               std::to_string(std::numeric_limits<std::int32_t>::min()) + ".";
    }
    return {};
}

} // namespace

frmRytMAP::frmRytMAP(std::int16_t seqKind, QWidget* parent) : QDialog(parent)
{
    setObjectName("frmRytMAP");
    setWindowTitle("Multiple alignment");
    frAlnGoodSeq = new QGroupBox("Alignment parameters", this);
    auto* grid = new QGridLayout(frAlnGoodSeq);
    auto box = [&](const char* name, const char* text) {
        auto* e = new QLineEdit(text, frAlnGoodSeq);
        e->setObjectName(name);
        e->setMaximumWidth(70);
        return e;
    };
    lblMinLenCCI = new QLabel("Minimum length for constant-cost insertion ( > 1 )", frAlnGoodSeq);
    txtMinLenCCI = box("txtMinLenCCI", "10");
    lblMatchScore = new QLabel("Match score", frAlnGoodSeq);
    txtMatch = box("txtMatch", "10");
    optSubMat = new QRadioButton("Substitution matrix:", frAlnGoodSeq);
    optSubMat->setObjectName("optSubMat");
    cboSubMat = new QComboBox(frAlnGoodSeq);
    cboSubMat->setObjectName("cboSubMat");
    optMisMatch = new QRadioButton("Constant mismatch score:", frAlnGoodSeq);
    optMisMatch->setObjectName("optMisMatch");
    txtMisMatch = box("txtMisMatch", "-5");
    lblOpen = new QLabel("Gap Open Penalty ( > 0)", frAlnGoodSeq);
    txtGapOpen = box("txtGapOpen", "10");
    lblGapExtend = new QLabel("Gap extension ( > 0 )", frAlnGoodSeq);
    txtGapExtend = box("txtGapExtend", "4");
    chkHasStop = new QCheckBox("May have stop code  (*) in the protein sequences", frAlnGoodSeq);
    chkHasStop->setObjectName("chkHasStop");
    chkKeepOriginalOrder = new QCheckBox("Keep original sequence order", frAlnGoodSeq);
    chkKeepOriginalOrder->setObjectName("chkKeepOriginalOrder");
    int row = 0;
    grid->addWidget(lblMinLenCCI, row, 0);
    grid->addWidget(txtMinLenCCI, row++, 1);
    grid->addWidget(lblMatchScore, row, 0);
    grid->addWidget(txtMatch, row++, 1);
    grid->addWidget(optSubMat, row, 0);
    grid->addWidget(cboSubMat, row++, 1);
    grid->addWidget(optMisMatch, row, 0);
    grid->addWidget(txtMisMatch, row++, 1);
    grid->addWidget(lblOpen, row, 0);
    grid->addWidget(txtGapOpen, row++, 1);
    grid->addWidget(lblGapExtend, row, 0);
    grid->addWidget(txtGapExtend, row++, 1);
    grid->addWidget(chkHasStop, row++, 0, 1, 2);
    grid->addWidget(chkKeepOriginalOrder, row++, 0, 1, 2);

    cmdDone = new QPushButton("Go", this);
    cmdDone->setObjectName("cmdDone");
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdDone);
    buttons->addWidget(cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frAlnGoodSeq);
    outer->addLayout(buttons);

    optMisMatch->setChecked(true);
    const bool protein = seqKind == 0;
    chkHasStop->setEnabled(protein);
    const auto kind = protein ? SubMatKind::AminoAcid : SubMatKind::Nucleotide;
    for (const auto& name : SubMatListNames(kind))
        cboSubMat->addItem(QString::fromStdString(name));
    cboSubMat->setCurrentIndex(protein ? 7 : 1);

    connect(cboSubMat, &QComboBox::activated, this, [this] { optSubMat->setChecked(true); });
    connect(cmdDone, &QPushButton::clicked, this, &frmRytMAP::cmdDone_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRytMAP::cmdCancel_Click);
}

void frmRytMAP::refuse(QLineEdit* box, const char* message, const char* fallback)
{
    (void)platform::dialogs().MsgBox(message, platform::mb::OkOnly, shell::ProgramInfo::Title);
    box->setText(fallback);
    box->setFocus();
}

void frmRytMAP::cmdDone_Click()
{
    // A number beyond the whole numbers the parameters hold is refused first.
    const struct {
        QLineEdit* box;
        const char* field;
        const char* fallback;
    } fields[] = {
        {txtMinLenCCI, "The minimum length for constant-cost insertion", "10"},
        {txtMatch, "Match score", "10"},
        {txtMisMatch, "Mismatch score", "-5"},
        {txtGapOpen, "The gap-open penalty", "10"},
        {txtGapExtend, "The gap-extend penalty", "4"},
    };
    for (const auto& f : fields) {
        if (f.box == txtMisMatch && !optMisMatch->isChecked()) {
            continue;
        }
        if (const std::string refusal = outOfRange(boxValue(f.box), f.field); !refusal.empty()) {
            return refuse(f.box, refusal.c_str(), f.fallback);
        }
    }
    MapParams p = m_params;
    const double minLen = boxValue(txtMinLenCCI);
    if (minLen < 1)
        return refuse(txtMinLenCCI, "The minimum length for constant-cost insertion is a positive integer.", "10");
    p.minLenCCI = whole(minLen);
    const double match = boxValue(txtMatch);
    if (match < 1)
        return refuse(txtMatch, "Match score should be a positive integer.", "10");
    p.match = whole(match);
    if (!optMisMatch->isChecked()) {
        p.useSubMat = true;
        p.subMatIndex = cboSubMat->currentIndex();
        p.hasStop = chkHasStop->isChecked();
    } else {
        p.useSubMat = false;
        const std::int32_t misMatch = whole(boxValue(txtMisMatch));
        if (misMatch >= 0)
            return refuse(txtMisMatch, "Mismatch score should be smaller than 0.", "-5");
        p.misMatch = misMatch;
    }
    const double open = boxValue(txtGapOpen);
    if (open < 0)
        return refuse(txtGapOpen, "The gap-open penalty is a nonnegative integer. It should be greater than 0.", "10");
    p.gapOpen = whole(open);
    const double extend = boxValue(txtGapExtend);
    if (extend < 0)
        return refuse(txtGapExtend, "The gap-extend penalty is a nonnegative integer. It should be greater than 0.",
                      "4");
    p.gapExtend = whole(extend);
    p.keepOriginalOrder = chkKeepOriginalOrder->isChecked();
    m_params = p;
    m_accepted = true;
    accept();
}

void frmRytMAP::cmdCancel_Click()
{
    m_accepted = false;
    reject();
}

bool frmRytMAP::GetMAPParam(std::int16_t seqKind, std::int32_t& minLenCCI, std::int32_t& gapOpen,
                            std::int32_t& gapExtend, std::int32_t& match, std::int32_t& misMatch, bool& useSubMat,
                            std::int32_t& subMatIndex, bool& hasStop, bool& keepOriginalOrder, QWidget* parent)
{
    frmRytMAP dialog(seqKind, parent);
    dialog.exec();
    if (!dialog.isAccepted())
        return false;
    const MapParams& p = dialog.params();
    minLenCCI = p.minLenCCI;
    gapOpen = p.gapOpen;
    gapExtend = p.gapExtend;
    match = p.match;
    if (!p.useSubMat)
        misMatch = p.misMatch;
    useSubMat = p.useSubMat;
    subMatIndex = p.subMatIndex;
    hasStop = p.hasStop;
    keepOriginalOrder = p.keepOriginalOrder;
    return true;
}

} // namespace sequence::editor
