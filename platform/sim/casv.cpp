// Content-analysis service: each answer is the fact's value, every call journaled.
#include <string>
#include <string_view>

#include "casv.h"
#include "sim_world.h"

namespace {

const vsim::DefaultFacts kDefaults({
    {"CASV_IsHighlightModeRunning", {"0"}},
    {"CASV_IsGameResumeModeRunning", {"0"}},
    {"CASV_IsAnalysisEngineRunning", {"0"}},
});

int Answer(std::string_view fact) { return static_cast<int>(vsim::FactIntOr(fact, 0, 0)); }

}  // namespace

extern "C" {

int CASV_IsHighlightModeRunning(void) {
    vsim::RecordCall("CASV_IsHighlightModeRunning");
    return Answer("CASV_IsHighlightModeRunning");
}

int CASV_IsGameResumeModeRunning(int mode) {
    std::string arg = std::to_string(mode);
    vsim::RecordCall("CASV_IsGameResumeModeRunning", arg);
    return Answer(vsim::FactFor("CASV_IsGameResumeModeRunning", arg));
}

int CASV_IsAnalysisEngineRunning(unsigned long long service_id) {
    std::string arg = std::to_string(service_id);
    vsim::RecordCall("CASV_IsAnalysisEngineRunning", arg);
    return Answer(vsim::FactFor("CASV_IsAnalysisEngineRunning", arg));
}

}  // extern "C"
