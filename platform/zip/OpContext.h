#pragma once
// The frame of one running method: the current-operation value, event
// delivery to every sink, the owner's yield hook with the abort check, and
// the overall percentage. Internal to the control.
#include "platform/zip/PavikZip.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <cstdint>
#include <string>

namespace qm::zip {

class OpContext {
public:
    OpContext(PavikZip& zip, int op);
    ~OpContext();
    OpContext(const OpContext&) = delete;
    OpContext& operator=(const OpContext&) = delete;

    PavikZip& zip() { return zip_; }

    // Calls `f(sink)` for every sink (a sink may remove itself meanwhile).
    // The usual few sinks are listed without an allocation.
    template <class F>
    void emit(F f)
    {
        const std::vector<ZipEvents*>& now = zip_.sinks();
        ZipEvents* few[4];
        std::vector<ZipEvents*> many;
        ZipEvents* const* list = few;
        const size_t n = now.size();
        if (n <= std::size(few)) {
            std::copy(now.begin(), now.end(), few);
        } else {
            many = now;
            list = many.data();
        }
        for (size_t i = 0; i < n; ++i)
            if (zip_.hasSink(list[i]))
                f(*list[i]);
    }

    // Between steps: lets the owner run, then stops (AbortError) when asked.
    void step();
    // Within a step (per chunk): the same, at most every few hundredths of a second.
    void tick();
    void checkAbort() const;

    void fileProgress(const std::string& name, int percent);
    void skipped(const std::string& name, const std::string& source, const std::string& target, int reason);
    void warning(const std::string& name, int code);

    // Overall progress by bytes: the total, then what is done; an event
    // goes out whenever the whole percentage changes.
    void setTotal(uint64_t total) { total_ = total; }
    void setDone(uint64_t done);
    void complete();

    // Ends the method: OperationDone with `result`, which is returned.
    int finish(int result);

private:
    PavikZip& zip_;
    uint64_t total_ = 0;
    uint64_t done_ = 0;
    int lastTotal_ = -1;
    std::chrono::steady_clock::time_point lastYield_;
};

// Percent of `part` in `whole`, 0..100; 100 when `whole` is 0.
int percentOf(uint64_t part, uint64_t whole);

} // namespace qm::zip
