#pragma once
// What a zip control keeps from one method to the next (internal): its
// worker threads, started when a method first needs them, and the coders of
// the caller's own thread, so that a run of many small operations neither
// starts threads nor sets up compressors for each.
#include "platform/zip/EntryDecode.h"
#include "platform/zip/EntryJob.h"
#include "platform/zip/WorkerPool.h"

namespace qm::zip {

struct ControlState {
    WorkerPool pool;
    EntryCompressor compressor; // entries compressed on the caller's thread
    DecodeScratch decode;       // old entries checked on the caller's thread
};

} // namespace qm::zip
