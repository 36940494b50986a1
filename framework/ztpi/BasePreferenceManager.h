// User preferences in a small XML file outside the host's project, shared by every
// instance: parameters bound to keys are written on every change and read back every
// 100 ms, so all open instances follow each other. Free string values live beside them.
#pragma once

#include "framework/de/ParameterInterfaces.h"
#include "framework/ztpi/BasePlugIn.h"
#include "foundation/Mutex.h"
#include "foundation/Timer.h"

#include <memory>

class TiXmlDocument;
#include <string>
#include <vector>

namespace zt::ztpi {

class CBasePreferenceManager : public IParameterObserver, public zt::ITimerCallback {
public:
    static constexpr uint32_t kReloadMs = 100;

    // applyLock serialises values loaded on the timer thread with every other
    // parameter change; it is the owner's parameter-change lock.
    CBasePreferenceManager(zt::de::IParameterManager& parameters, zt::CMutex& applyLock);
    ~CBasePreferenceManager() override;

    // A path without a leading ":" is relative to the user's documents folder.
    virtual bool SetFile(const char* path);
    virtual void AddBinding(const char* key, int32_t set, int32_t number);
    // Loads now, then again on every tick of the reload timer.
    virtual void LoadAndWatch();
    virtual void Load();
    virtual void Save();
    virtual void SetString(const char* key, const char* value);
    virtual std::string GetString(const char* key, const char* defaultValue);
    virtual void ResetToDefaults();

    // Every stored parameter change: a bound one rewrites the file.
    void OnParameterChanged(int32_t set, int32_t number, float value) override;
    void OnTimer(int id) override;

    const std::string& GetSystemPath() const { return systemPath_; }
    // A message for the user, once, after a damaged file was set aside; empty otherwise.
    std::string TakeNotice();

    // Larger files and deeper nesting than a preference file ever has are refused
    // unparsed: the parser recurses once per level, on a timer thread's small stack.
    static constexpr size_t kMaxFileBytes = 1 << 20;
    static constexpr int kMaxDepth = 16;

private:
    struct SBinding {
        std::string key;
        int32_t set;
        int32_t number;
    };
    // Writes value texts for keys into the file, keeping every other element.
    void Write(const std::vector<std::pair<std::string, std::string>>& values);
    enum class EReadResult { kRead, kMissing, kDamaged };
    // Parses the file into document within the size and depth limits (mutex_ held).
    EReadResult Read(TiXmlDocument& document) const;
    // Keeps a file that does not parse as "<file>.bad" and tells the user, so that the
    // fresh file written next loses nothing of theirs for good (mutex_ held).
    void SetAsideDamaged();

    struct SFileStamp {
        bool exists = false;
        long seconds = 0, nanoseconds = 0, size = 0;
        bool operator==(const SFileStamp& o) const
        {
            return exists == o.exists && seconds == o.seconds && nanoseconds == o.nanoseconds && size == o.size;
        }
    };

    SFileStamp Stamp() const;

    zt::de::IParameterManager& parameters_;
    zt::CMutex& applyLock_;
    zt::CMutex mutex_;  // the file, the path and the bindings
    std::string systemPath_;
    std::vector<SBinding> bindings_;
    std::unique_ptr<zt::ITimer> timer_;
    bool loadedOnce_ = false;
    SFileStamp lastStamp_;
    std::string notice_;
};

}  // namespace zt::ztpi
