#pragma once

namespace mapolt {

class ATask;

// The critical-path operations the outline service offers; the schedule layer's
// CriticalPath implements them.
class CriticalPathService {
  public:
    virtual ~CriticalPathService() = default;
    virtual void setShowProjCP(bool on) = 0;
    virtual void setShowEndCP(bool on) = 0;
    virtual void calcProjectCp() = 0;
    virtual void recalcCP() = 0;
    virtual void clearCrit() = 0;
    virtual bool isCriticalOn() const = 0;
    // 3 root, 2 critical, 1 float, 0 none.
    virtual int getCriticalityOfTask(const ATask* task) const = 0;
    virtual void calcCPFromRoots() = 0;
};

} // namespace mapolt
