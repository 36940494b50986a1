#include "host/lv2/Instance.h"

#include "host/lv2/Ports.h"

#include "lv2/atom/atom.h"
#include "lv2/buf-size/buf-size.h"
#include "lv2/options/options.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

namespace zt::lv2 {

namespace {

// A NaN no port holds on its own: every port reads as changed at the first activation.
constexpr uint32_t kNeverSeen = 0x7FC0DEADu;

uint32_t BitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The bits of a float or a seen_ entry, read in place: the type may alias either.
typedef uint32_t __attribute__((may_alias)) AliasingBits;
uint32_t BitsAt(const void* p) { return *static_cast<const AliasingBits*>(p); }

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
        if (std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

// The host's maximum block length from its options, or 0 when it gives none.
int32_t MaxBlockOf(const LV2_Options_Option* options, LV2_URID_Map* map)
{
    const LV2_URID maxLength = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* o = options; o && o->key != 0; ++o)
        if (o->key == maxLength && o->type == intType && o->size == sizeof(int32_t) && o->value)
            return *static_cast<const int32_t*>(o->value);
    return 0;
}

}  // namespace

CInstance* CInstance::Create(const SProductInfo& product, double rate, const LV2_Feature* const* features)
{
    CInstance* instance = new (std::nothrow) CInstance();
    if (!instance)
        return nullptr;
    try {
        if (instance->Init(product, rate, features))
            return instance;
    } catch (...) {
        // Out of memory while building the plug-in: the host hears of a failed instantiation.
    }
    delete instance;
    return nullptr;
}

bool CInstance::Init(const SProductInfo& product, double rate, const LV2_Feature* const* features)
{
    if (!(rate >= kMinSampleRate && rate <= kMaxSampleRate))
        return false;
    // Without URIDs (simple hosts such as lv2apply give none) the plug-in still runs; it
    // only has no state to save and reads no options.
    int32_t maxBlock = 0;
    if (auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map)))) {
        stateKey_ = map->map(map->handle, (std::string(product.uri) + kStateSuffix).c_str());
        chunkType_ = map->map(map->handle, LV2_ATOM__Chunk);
        maxBlock = MaxBlockOf(static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options)), map);
    }
    schedule_ = static_cast<const LV2_Worker_Schedule*>(FindFeature(features, LV2_WORKER__schedule));
    if (maxBlock < 1)
        maxBlock = kDefaultMaxBlock;

    int32_t version = 0;
    module_ = product.moduleEntry(this, &version);
    if (!module_)
        return false;
    plugIn_ = module_->CreatePlugIn(0);
    if (!plugIn_)
        return false;
    plugIn_->Open();
    // Always the stereo configuration with a side-chain: an unconnected side-chain is
    // keyed by the main input, as the VST 3 adapter does while its aux bus is off.
    plugIn_->SetChannelConfig(2, 2, 2);
    plugIn_->SetMaxBlockSize(maxBlock);
    plugIn_->SetSampleRate(static_cast<int32_t>(rate));  // truncated, never rounded up
    plugIn_->Prepare();

    const auto count = static_cast<size_t>(plugIn_->GetNumParameters());
    controls_.assign(count, nullptr);
    seen_.assign(count, kNeverSeen);
    watched_.resize(count);
    for (size_t i = 0; i < count; ++i)
        watched_[i] = &seen_[i];
    events_.resize(count);
    ranges_.resize(count);
    edited_ = std::make_unique<std::atomic<bool>[]>(count);
    for (size_t i = 0; i < count; ++i) {
        zt::ztpi::SAutomationInfo info;
        plugIn_->GetAutomationInfo(static_cast<int32_t>(i), &info);
        ranges_[i] = {info.minimum, info.maximum};
    }
    silence_.assign(static_cast<size_t>(maxBlock), 0.0f);
    return true;
}

CInstance::~CInstance()
{
    if (plugIn_)
        plugIn_->Destroy();
    if (module_)
        module_->Destroy();
}

void CInstance::ConnectPort(uint32_t port, void* data)
{
    switch (port) {
    case kInputLeft:
    case kInputRight:
        inputs_[port - kInputLeft] = static_cast<const float*>(data);
        break;
    case kOutputLeft:
    case kOutputRight:
        outputs_[port - kOutputLeft] = static_cast<float*>(data);
        break;
    case kSideLeft:
    case kSideRight:
        sides_[port - kSideLeft] = static_cast<const float*>(data);
        break;
    case kLatency:
        latency_ = static_cast<float*>(data);
        break;
    default:
        if (port >= kFirstControl && port - kFirstControl < controls_.size()) {
            const size_t i = port - kFirstControl;
            controls_[i] = static_cast<const float*>(data);
            watched_[i] = data ? data : &seen_[i];
        }
        break;
    }
}

bool CInstance::ReadControl(size_t index, float& value)
{
    const float* port = controls_[index];
    if (!port)
        return false;
    const float given = *port;
    const uint32_t bits = BitsOf(given);
    if (bits == seen_[index])
        return false;
    seen_[index] = bits;
    // NaN is ignored and anything outside the range is clamped, as the VST 3 path
    // clamps the normalized values it receives.
    if (std::isnan(given))
        return false;
    value = std::clamp(given, ranges_[index].minimum, ranges_[index].maximum);
    return true;
}

void CInstance::Activate()
{
    // The values the host set up before starting take effect at once, as a restored
    // project's do, without gliding from wherever the plug-in was.
    for (size_t i = 0; i < controls_.size(); ++i) {
        float value = 0.0f;
        if (ReadControl(i, value))
            plugIn_->SetParameter(static_cast<int32_t>(i), value);
    }
    plugIn_->Idle();
    plugIn_->Resume();
}

void CInstance::Deactivate()
{
    plugIn_->Idle();
    plugIn_->Suspend();
}

void CInstance::Run(uint32_t frames)
{
    // Most runs change nothing: one pass over every port's bits tells, and only then are
    // the ports looked at one by one.
    int32_t changes = 0;
    const size_t count = controls_.size();
    const void* const* watched = watched_.data();
    const uint32_t* seen = seen_.data();
    // Two running results, so that each port's test does not wait for the one before.
    uint32_t even = 0, odd = 0;
    size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        even |= BitsAt(watched[k]) ^ seen[k];
        odd |= BitsAt(watched[k + 1]) ^ seen[k + 1];
    }
    if (k < count)
        even |= BitsAt(watched[k]) ^ seen[k];
    const uint32_t differs = even | odd;
    for (size_t i = 0; differs != 0 && i < count; ++i) {
        float value = 0.0f;
        if (!ReadControl(i, value))
            continue;
        zt::ztpi::SEvent& event = events_[static_cast<size_t>(changes++)];
        event.offset = 0;
        event.type = zt::ztpi::SEvent::kParameterChange;
        event.data[0] = static_cast<int32_t>(i);
        std::memcpy(&event.data[1], &value, sizeof value);
    }
    if (changes > 0) {
        plugIn_->AddEvents(events_.data(), changes);
        // Whatever part of a change the audio thread cannot do (telling the rest of the
        // plug-in, storing a new rate) follows in the host's worker thread.
        if (schedule_) {
            const uint8_t idle = 0;
            schedule_->schedule_work(schedule_->handle, sizeof idle, &idle);
        }
    }

    const auto n = static_cast<int32_t>(std::min<uint32_t>(frames, 0x7FFFFFFF));
    if (n == 0 || !outputs_[0] || !outputs_[1]) {
        // Nothing to write to: the changes still take effect.
        plugIn_->Process(nullptr, nullptr, 0);
    } else {
        // Unconnected inputs read as silence; an unconnected side-chain channel as its
        // other channel, and with none connected the key is the main input.
        const bool stoodIn = !inputs_[0] || !inputs_[1];
        const int32_t piece = stoodIn ? static_cast<int32_t>(silence_.size()) : n;
        for (int32_t start = 0; start < n; start += piece) {
            const int32_t length = std::min(piece, n - start);
            auto at = [start](const float* p) { return const_cast<float*>(p) + start; };
            float* in[4];
            for (int c = 0; c < 2; ++c)
                in[c] = inputs_[static_cast<size_t>(c)] ? at(inputs_[static_cast<size_t>(c)]) : silence_.data();
            const float* side[2] = {sides_[0] ? sides_[0] : sides_[1], sides_[1] ? sides_[1] : sides_[0]};
            for (int c = 0; c < 2; ++c)
                in[2 + c] = side[c] ? at(side[c]) : in[c];
            float* out[2] = {outputs_[0] + start, outputs_[1] + start};
            plugIn_->Process(out, in, length);
        }
    }
    if (latency_)
        *latency_ = static_cast<float>(plugIn_->GetLatency());
}

LV2_Worker_Status CInstance::Work()
{
    plugIn_->Idle();
    return LV2_WORKER_SUCCESS;
}

// --- state ------------------------------------------------------------------------

LV2_State_Status CInstance::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (stateKey_ == 0)
        return LV2_STATE_ERR_NO_FEATURE;
    if (!store)
        return LV2_STATE_ERR_UNKNOWN;
    plugIn_->Idle();
    const int32_t size = plugIn_->GetChunkSize();
    if (size <= 0)
        return LV2_STATE_ERR_UNKNOWN;
    std::vector<char> buffer(static_cast<size_t>(size));
    plugIn_->GetChunk(buffer.data());
    return store(handle, stateKey_, buffer.data(), buffer.size(), chunkType_, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status CInstance::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    if (stateKey_ == 0)
        return LV2_STATE_ERR_NO_FEATURE;
    if (!retrieve)
        return LV2_STATE_ERR_UNKNOWN;
    size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* data = retrieve(handle, stateKey_, &size, &type, &flags);
    // No state of ours, or one of another type or size: every setting stays as it was.
    if (!data)
        return LV2_STATE_ERR_NO_PROPERTY;
    if (type != chunkType_)
        return LV2_STATE_ERR_BAD_TYPE;
    if (size == 0 || size > (size_t(1) << 30) || !plugIn_->SetChunk(data, static_cast<int32_t>(size)))
        return LV2_STATE_ERR_UNKNOWN;
    // The restored settings stand until the host moves a port: what the ports hold now
    // counts as read (a host that sets them to the saved values afterwards changes
    // nothing), and a port connected later counts as holding the restored value.
    for (size_t i = 0; i < controls_.size(); ++i)
        seen_[i] = BitsOf(controls_[i] ? *controls_[i] : plugIn_->GetParameter(static_cast<int32_t>(i)));
    return LV2_STATE_SUCCESS;
}

void CInstance::ParameterChanged(int32_t index)
{
    if (index >= 0 && static_cast<size_t>(index) < controls_.size())
        edited_[static_cast<size_t>(index)].store(true, std::memory_order_release);
}

bool CInstance::TakeEdit(int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < controls_.size()
        && edited_[static_cast<size_t>(index)].exchange(false, std::memory_order_acq_rel);
}

bool CInstance::PendingEdit(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < controls_.size()
        && edited_[static_cast<size_t>(index)].load(std::memory_order_acquire);
}

void CInstance::GetHostName(char* text) { std::strcpy(text, "n/a"); }

void CInstance::GetHostVendor(char* text) { std::strcpy(text, "n/a"); }

}  // namespace zt::lv2
