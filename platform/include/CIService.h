// Common-interface (CI) service.
#ifndef VANTRO_PLATFORM_CISERVICE_H
#define VANTRO_PLATFORM_CISERVICE_H

namespace CIM {

class TCCIService {
public:
    virtual ~TCCIService() {}
    // The general instance, or null when no CI stack runs.
    static TCCIService* CIGeneralInstance();
    // Returns 1 on success and writes whether host control runs.
    virtual int IsHostControlRunning(bool* running, int reserved) = 0;
};

}  // namespace CIM

#endif
