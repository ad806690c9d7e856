// Seam: the state queries land with the TV-state work; sports mode is asked already.
#include "SportsUtil.h"
#include "svc_pvr.h"

bool CSportsUtil::IsSportsMode() {
    int state = 0;
    svc_pvr_is_sports_mode(&state);
    return state == 1;
}
