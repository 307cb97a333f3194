#pragma once

// An in-memory host of document windows for the workbook-file tests: every
// window is a workbook with a caption; windows made for loading stay hidden
// until shown.

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/FileUtil.h"
#include "shell/workbook/SSMDIFiles.h"
#include "shell/workbook/WorkbookHost.h"

namespace testsupport {

class FakeWorkbookHost final : public shell::WorkbookHost {
public:
    spreadsheet::Workbook* activeWorkbook() override { return m_active; }
    spreadsheet::Workbook& newWorkbook() override
    {
        if (failNew) {
            throw platform::Error(platform::err::OutOfMemory, "newWorkbook", "Out of memory");
        }
        spreadsheet::Workbook& book = make();
        shown.insert(&book);
        m_active = &book;
        return book;
    }
    spreadsheet::Workbook& loadWorkbook() override { return make(); }
    void showWorkbook(spreadsheet::Workbook& book) override
    {
        shown.insert(&book);
        m_active = &book;
    }
    void discardWorkbook(spreadsheet::Workbook& book) override
    {
        shown.erase(&book);
        captions.erase(&book);
        books.erase(std::remove_if(books.begin(), books.end(), [&](const auto& b) { return b.get() == &book; }),
                    books.end());
        if (m_active == &book) {
            m_active = books.empty() ? nullptr : books.back().get();
        }
    }
    void setCaption(spreadsheet::Workbook& book, const std::string& caption) override { captions[&book] = caption; }
    std::string caption(const spreadsheet::Workbook& book) override { return captions[&book]; }
    spreadsheet::Workbook* workbookOfFile(const std::string& path) override
    {
        for (const auto& b : books) {
            const auto text = textFiles.find(b.get());
            if (FileUtil::SameFile(SSMDI1::FileHeld(*b, text == textFiles.end() ? std::string() : text->second),
                                   path)) {
                return b.get();
            }
        }
        return nullptr;
    }
    void setTextFileOf(spreadsheet::Workbook& book, const std::string& path) override { textFiles[&book] = path; }
    void setStatusText(const std::string& text) override { status = text; }
    void applyFormulaBar(spreadsheet::Workbook&) override { ++formulaBarApplied; }
    void showAnalysisMenus() override { ++analysisMenusShown; }

    std::vector<std::unique_ptr<spreadsheet::Workbook>> books;
    std::map<const spreadsheet::Workbook*, std::string> captions;
    std::map<const spreadsheet::Workbook*, std::string> textFiles;
    std::set<const spreadsheet::Workbook*> shown;
    std::string status;
    int formulaBarApplied = 0;
    int analysisMenusShown = 0;
    bool failNew = false;

private:
    spreadsheet::Workbook& make()
    {
        books.push_back(std::make_unique<spreadsheet::Workbook>());
        spreadsheet::Workbook& book = *books.back();
        const std::string name = "Book" + std::to_string(++m_count);
        book.setTableName(name);
        book.setChanged(false);
        captions[&book] = name;
        return book;
    }

    spreadsheet::Workbook* m_active = nullptr;
    int m_count = 0;
};

} // namespace testsupport
