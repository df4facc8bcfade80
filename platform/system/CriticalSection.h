#pragma once
// A recursive lock: the same thread may enter it again.
#include <mutex>

namespace tarn::platform {

class CriticalSection {
  public:
    void Wait() { mutex_.lock(); }
    void Release() { mutex_.unlock(); }

  private:
    std::recursive_mutex mutex_;
};

// Holds a critical section for one scope.
class CriticalSectionHold {
  public:
    explicit CriticalSectionHold(CriticalSection& cs) : cs_(cs) { cs_.Wait(); }
    ~CriticalSectionHold() { cs_.Release(); }
    CriticalSectionHold(const CriticalSectionHold&) = delete;
    CriticalSectionHold& operator=(const CriticalSectionHold&) = delete;

  private:
    CriticalSection& cs_;
};

}  // namespace tarn::platform
