#include "trees/print/CPrintTreeView.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "trees/print/MPrintFunctions.h"

namespace trees {

using namespace MPrintFunctions;

namespace {

std::int32_t round32(double v)
{
    return static_cast<std::int32_t>(std::lround(v));
}

} // namespace

void CPrintTreeView::setControl(const platform::TreeViewModel* control, const platform::StdFont& controlFont)
{
    m_control = control;
    m_fontNode = controlFont;
}

bool CPrintTreeView::PrintControl(platform::Printer& printer)
{
    try {
        const double left = m_page.MarginLeft() * TwipsPerCm;
        const double right = m_page.MarginRight() * TwipsPerCm;
        ApplyPageSetup(printer, m_page);
        printer.Print(" ");
        // A device that refused the document fails the job as a printer
        // error, with its reason, instead of printing into nothing.
        if (const std::string why = printer.refusal(); !why.empty()) {
            throw platform::Error(platform::err::PrinterError, "PrintControl", why);
        }
        PrintText(printer, m_page.Header(), left, right);
        printer.setCurrentX(left);
        printer.setCurrentY(m_page.MarginTop() * TwipsPerCm);
        PrintText(printer, m_title, left, right);
        printer.setCurrentY(printer.CurrentY() + TwipsPerCm / 2.0);
        ApplyFont(printer, m_fontNode);
        m_printedNodes = 0;
        printRows(printer);
        printer.setCurrentY(printer.ScaleHeight() - m_page.MarginBottom() * TwipsPerCm);
        PrintText(printer, m_page.Footer(), left, right);
        printer.EndDoc();
        return true;
    } catch (const platform::Error& e) {
        printer.KillDoc();
        if (Beep) {
            Beep();
        }
        platform::dialogs().MsgBox(std::to_string(e.number()) + " " + e.description(), platform::mb::Exclamation,
                                   "Oru");
    } catch (const std::exception& e) {
        printer.KillDoc();
        if (Beep) {
            Beep();
        }
        platform::dialogs().MsgBox(std::to_string(platform::err::PrinterError) + " " + e.what(),
                                   platform::mb::Exclamation, "Oru");
    }
    return false;
}

void CPrintTreeView::printRows(platform::Printer& printer)
{
    if (m_control == nullptr) {
        throw platform::Error(91, "PrintControl", "Object variable or With block variable not set");
    }
    const platform::TreeViewModel& tree = *m_control;
    if (tree.Count() < 1) {
        throw platform::Error(platform::treeview_err::IndexOutOfBounds, "PrintControl",
                              "Index out of bounds: the tree view holds no node to print");
    }

    const double left = m_page.MarginLeft() * TwipsPerCm;
    const double right = m_page.MarginRight() * TwipsPerCm;
    const auto bottom = static_cast<std::int32_t>(m_page.MarginBottom() * TwipsPerCm);
    const double py = TwipsPerPixelY;
    const double px = TwipsPerPixelX;
    const double indent = static_cast<double>(static_cast<std::int32_t>(std::lround(tree.Indentation())));
    const double printableWidth = printer.ScaleWidth() - left - right;
    // The deepest column at which a row's text may start.
    const double maxX = left + std::max(0.0, printableWidth * 2.0 / 3.0);
    {
        const std::int32_t sampleHeight = round32(printer.TextHeight("Ag"));
        const double top = m_page.MarginTop() * TwipsPerCm;
        if (printableWidth <= 0 || printer.ScaleHeight() - bottom <= top + sampleHeight + py) {
            throw platform::Error(5, "PrintControl", "The page margins leave no room for a row.");
        }
    }

    // Whether the ancestor at each depth of the current path has a following
    // sibling: its column carries a line down the rows below it.
    std::vector<char> continues;

    struct Pending {
        std::int32_t node;
        std::int32_t depth;
    };
    std::vector<Pending> stack{{1, NodeDepth(tree, 1)}};
    while (!stack.empty()) {
        const Pending item = stack.back();
        stack.pop_back();
        const std::int32_t node = item.node;
        const std::int32_t parent = tree.Parent(node);
        if (parent != 0 && m_onlyExpanded && !tree.Expanded(parent)) {
            continue;  // this node and its following siblings stay unprinted
        }
        const std::string& t = tree.Text(node);
        const std::int32_t textHeight = round32(printer.TextHeight(t));
        std::int32_t imageHeight = 0;
        std::int32_t rowHeight = 0;
        if (m_imageList != nullptr) {
            imageHeight = round32(static_cast<std::int16_t>(m_imageList->ImageHeight) * py);
            rowHeight = round32(py + MaxLong(imageHeight, textHeight));
        } else {
            imageHeight = round32(py);
            rowHeight = round32(py + textHeight);
        }

        if (!FitsOnPage(printer, t, imageHeight, bottom)) {
            if (BeforeNewPage) {
                BeforeNewPage();
            }
            printer.setCurrentY(printer.CurrentY() + rowHeight);
            PrintText(printer, m_page.Footer(), left, right);
            printer.NewPage();
            PrintText(printer, m_page.Header(), left, right);
            printer.setCurrentY(m_page.MarginTop() * TwipsPerCm);
            ApplyFont(printer, m_fontNode);
        }

        const std::int32_t depth = item.depth;
        const double y = round32(printer.CurrentY());
        const double x = std::min(depth * indent + left, std::max(left, maxX));
        const double mid = y + rowHeight / 2.0;
        if (parent != 0) {
            const double column = x - indent / 2.0;
            printer.Line(column, mid, x - 2.0 * px, mid);
            printer.Line(column, y, column, tree.Next(node) == 0 ? mid : y + rowHeight);
            // Columns of the ancestors that have following siblings, from the
            // grandparent's level up, as far as the columns stay on the page.
            for (std::int32_t i = depth; i >= 2; --i) {
                const double ancestorColumn = left + indent / 2.0 + (i - 2) * indent;
                if (ancestorColumn >= column) {
                    continue;
                }
                if (continues[static_cast<std::size_t>(i - 1)] != 0) {
                    printer.Line(ancestorColumn, y, ancestorColumn, y + rowHeight);
                }
            }
        }
        if (m_imageList != nullptr) {
            printer.setCurrentX(x + static_cast<std::int16_t>(m_imageList->ImageWidth) * px + 2.0 * px);
        } else {
            printer.setCurrentX(x);
        }
        printer.setCurrentY(y + (rowHeight - textHeight) / 2.0);
        printer.Print(t);
        ++m_printedNodes;

        if (continues.size() <= static_cast<std::size_t>(depth)) {
            continues.resize(static_cast<std::size_t>(depth) + 1, 0);
        }
        continues[static_cast<std::size_t>(depth)] = tree.Next(node) != 0 ? 1 : 0;

        if (const std::int32_t next = tree.Next(node); next != 0) {
            stack.push_back({next, depth});
        }
        if (tree.Children(node) > 0) {
            stack.push_back({tree.Child(node), depth + 1});
        }
    }
}

} // namespace trees
