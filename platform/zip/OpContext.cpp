#include "platform/zip/OpContext.h"

namespace qm::zip {

namespace {
constexpr auto YieldEvery = std::chrono::milliseconds(30);
}

int percentOf(uint64_t part, uint64_t whole)
{
    if (whole == 0)
        return 100;
    if (part >= whole)
        return 100;
    return int((static_cast<unsigned __int128>(part) * 100) / whole);
}

OpContext::OpContext(PavikZip& zip, int op) : zip_(zip), lastYield_(std::chrono::steady_clock::now())
{
    zip_.setCurrentOperation(op);
    zip_.AbortRequested = false;
}

OpContext::~OpContext()
{
    zip_.setCurrentOperation(operation::Idle);
}

void OpContext::checkAbort() const
{
    if (zip_.AbortRequested)
        throw AbortError{};
}

void OpContext::step()
{
    checkAbort();
    if (zip_.yieldHook())
        zip_.yieldHook()();
    lastYield_ = std::chrono::steady_clock::now();
    checkAbort();
}

void OpContext::tick()
{
    checkAbort();
    auto now = std::chrono::steady_clock::now();
    if (now - lastYield_ >= YieldEvery)
        step();
}

void OpContext::fileProgress(const std::string& name, int percent)
{
    emit([&](ZipEvents& s) { s.FileProgress(name, percent); });
}

void OpContext::skipped(const std::string& name, const std::string& source, const std::string& target, int reason)
{
    emit([&](ZipEvents& s) { s.FileSkipped(name, source, target, reason); });
}

void OpContext::warning(const std::string& name, int code)
{
    emit([&](ZipEvents& s) { s.Warning(name, code); });
}

void OpContext::setDone(uint64_t done)
{
    done_ = done;
    int p = total_ == 0 ? 0 : percentOf(done_, total_);
    if (p != lastTotal_ && p < 100) {
        lastTotal_ = p;
        emit([&](ZipEvents& s) { s.TotalProgress(p); });
    }
}

void OpContext::complete()
{
    if (lastTotal_ != 100) {
        lastTotal_ = 100;
        emit([&](ZipEvents& s) { s.TotalProgress(100); });
    }
}

int OpContext::finish(int result)
{
    emit([&](ZipEvents& s) { s.OperationDone(result); });
    return result;
}

} // namespace qm::zip
