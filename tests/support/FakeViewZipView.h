#pragma once
// The archive contents window as its logic (restore/ViewZip.h) sees it, for
// tests without a window: the test sets the rows, their selection, the
// caption and the spanned label; the extraction target dialog answers from
// a script (Cancel once the script is used up, as closing it by its frame
// would); everything the logic asks of the window is recorded.
//
//   FakeViewZipView contents;
//   contents.rows = {{"a.txt"}, {"b.txt"}};
//   contents.select({"b.txt"});
//   contents.targets.push_back({win("target"), 0, 0}); // Okay on "target"
//   ViewZip logic(state, contents, host);
#include "restore/ExtractTarget.h"
#include "restore/ViewZipView.h"

#include <algorithm>
#include <deque>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace qm::test {

struct FakeViewZipView : qm::restore::ViewZipView {
    std::string windowCaption;                            // caption()
    std::vector<qm::restore::ViewZipEntry> rows;          // in the order they were listed
    std::string spanned = "False";                        // Label10
    bool progressWatch = false;                           // Frame5 shown
    int progress = 0;                                     // vsElastic2
    std::string skipped;                                  // SkippedTxt
    std::deque<qm::restore::ExtractTargetAnswer> targets; // next answers of the target dialog
    std::vector<std::optional<std::string>> targetLabels; // Label3 of each target dialog shown
    int unloads = 0;

    // Exactly the rows named are selected.
    void select(std::initializer_list<std::string> names)
    {
        for (qm::restore::ViewZipEntry& row : rows)
            row.selected = std::find(names.begin(), names.end(), row.name) != names.end();
    }

    std::string caption() const override { return windowCaption; }
    std::vector<qm::restore::ViewZipEntry> entries() const override { return rows; }
    std::string spannedText() const override { return spanned; }
    void showProgressWatch(bool shown) override { progressWatch = shown; }
    void setProgress(int percent) override { progress = percent; }
    void setSkipped(const std::string& text) override { skipped = text; }
    qm::restore::ExtractTargetAnswer chooseExtractTarget(const std::optional<std::string>& Label3) override
    {
        targetLabels.push_back(Label3);
        if (targets.empty())
            return {};
        qm::restore::ExtractTargetAnswer answer = targets.front();
        targets.pop_front();
        return answer;
    }
    void unload() override { ++unloads; }
};

} // namespace qm::test
