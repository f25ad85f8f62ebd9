// The zip session's life: the control bound to its handlers, the yield hook
// and the progress window's Cancel, and the date stamp that lists without
// viewing.
#include "session/ZipSession.h"

#include "app/ProgramState.h"
#include "platform/ui/UiServices.h"
#include "session/SessionForms.h"
#include "session/StatusView.h"
#include "store/ZipUpdate.h"

namespace qm::session {

ZipSession::ZipSession(qm::app::ProgramState& state, qm::app::BusySwitch& busy, OperationForms& operations,
                       ReportForms& reports, const qm::datetime::Clock& clock)
    : state_(state), busy_(busy), operations_(operations), reports_(reports), clock_(clock),
      log_(qm::store::AutobackLog::defaultPath())
{
    PavikZip1.addEventSink(this);
    PavikZip1.setYieldHook([this] { state_.ui().doEvents(); });
    status().onCancel([this] { PavikZip1.AbortRequested = true; });
}

ZipSession::~ZipSession()
{
    status().onCancel(nullptr);
    PavikZip1.removeEventSink(this);
}

StatusView& ZipSession::status() { return operations_.status(); }

void ZipSession::StampArchiveDate(std::string& ArchivePath)
{
    // On for the stamp's length, whichever way it ends.
    struct Stamping {
        bool& on;
        explicit Stamping(bool& flag) : on(flag) { on = true; }
        ~Stamping() { on = false; }
    } stamping{stamping_};
    qm::store::CheckDate(PavikZip1, ArchivePath);
}

} // namespace qm::session
