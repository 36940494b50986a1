#include "product/editor/QuillstripGUI.h"

#include "product/editor/EQPane.h"
#include "product/editor/FFT.h"
#include "product/editor/Manual.h"
#include "product/editor/MasterPane.h"
#include "product/editor/MeterFeed.h"
#include "product/editor/SettingsDialog.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "foundation/File.h"
#include "foundation/FileSearch.h"
#include "foundation/Paths.h"
#include "gui/toolkit/Bitmap.h"
#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/Button.h"
#include "gui/toolkit/Context.h"
#include "gui/toolkit/Dialog.h"
#include "gui/toolkit/FileDialog.h"
#include "gui/toolkit/FontResource.h"
#include "gui/toolkit/HBS.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/PopupMenu.h"
#include "gui/toolkit/Rect.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Window.h"
#include "resources/EmbeddedSkin.h"
#include "resources/SkinIds.h"

#include <algorithm>
#include <cmath>
#include <new>

using namespace zt::ge;
using namespace quillstrip;
using namespace quillstrip::skin;

namespace {

void DestroyDialog(IFileDialog* dialog)
{
    if (dialog)
        dialog->Destroy();
}

// A background file larger than this is not a background.
constexpr uint64_t kMaxBackgroundBytes = 16u << 20;

}  // namespace

CQuillstripGUI::CQuillstripGUI(CQuillstripPlugIn& plugIn)
    : plugIn_(plugIn),
      links_(plugIn),
      fileDialog_(nullptr, &DestroyDialog)
{
}

CQuillstripGUI::~CQuillstripGUI() { Close(); }

void CQuillstripGUI::GetSize(int32_t* width, int32_t* height)
{
    if (width)
        *width = kWidth;
    if (height)
        *height = kHeight;
}

bool CQuillstripGUI::Open(void* parentWindow)
{
    if (window_)
        return false;
    context_ = std::make_unique<CContext>();
    IWindow* window
        = CreateWindow(context_.get(), reinterpret_cast<uintptr_t>(parentWindow), SRect{0, 0, kWidth, kHeight});
    if (!window) {
        context_.reset();
        return false;
    }
    ownsWindow_ = true;
    if (!Attach(*window)) {
        window->Destroy();
        ownsWindow_ = false;
        context_.reset();
        return false;
    }
    window->Show();
    return true;
}

bool CQuillstripGUI::Attach(IWindow& window)
{
    if (window_ && window_ != &window)
        return false;
    window_ = &window;
    if (!Build()) {
        Detach();
        return false;
    }
    return true;
}

bool CQuillstripGUI::Build()
{
    resources_ = std::make_unique<CResourceManager>(GetEmbeddedResourceFile(), GetEmbeddedResourceFileSize());
    window_->SetResourceManager(resources_.get());
    if (IFontResource* tooltipFont = resources_->GetFont(kFontSmall, SColour::FromRGB(20, 20, 20))) {
        window_->SetTooltipTextRenderer(tooltipFont);
        tooltipFont->Release();  // the manager's cache keeps it while the editor is open
    }
    master_ = new CMasterPane(links_, tooltips_, *this, *this, plugIn_.GetEngineRate());
    window_->GetRootPane()->AddChild(master_);

    // The overlays, opened by the menu.
    std::vector<std::string> backgrounds{CSettingsDialog::kBuiltInBackground};
    zt::CFileSearch search;
    const std::string folder = BackgroundFolder();
    if (!folder.empty() && search.Search((folder + "*.tga").c_str()))
        for (const zt::SFoundFile& found : search.Results()) {
            std::string name = found.name;
            if (name.size() > 4 && !found.isFolder)
                backgrounds.push_back(name.substr(0, name.size() - 4));
        }
    background_ = plugIn_.GetPreferenceString(kBackgroundKey, CSettingsDialog::kBuiltInBackground);
    settings_ = new CSettingsDialog(links_, backgrounds, background_, [this](const std::string& name) {
        ChooseBackground(name);
        plugIn_.SetPreferenceString(kBackgroundKey, name.c_str());
    });
    about_ = new CDialog({0, 0, kWidth, kHeight});
    about_->AddChild(new CRect({0, 0, kWidth, kHeight}, SColour::FromRGB(5, 6, 8, 170)));
    about_->AddChild(new CBitmap({210, 140, 360, 220}, kAboutBox));
    auto* close = new CButton({542, 148, 18, 18}, -1, kButtonClose);
    close->AddReceiver(this);
    aboutClose_ = close;
    about_->AddChild(close);

    meters_ = std::make_unique<CMeterFeed>(master_->GetMeterTargets(), window_->GetTimeMs());
    ChooseBackground(background_);
    AttachAnalysers();
    ApplyPreferences(true);
    links_.Refresh(true);
    master_->GetEQPane().Update(true);
    const std::string notice = plugIn_.TakePreferenceNotice();
    if (!notice.empty())
        window_->ShowMessage(notice.c_str(), "Preferences");
    return true;
}

void CQuillstripGUI::Detach()
{
    if (!window_)
        return;
    // The audio thread lets go of the feeds before they go.
    plugIn_.DetachAnalyser();
    fileDialog_.reset();
    if (settings_)
        settings_->Destroy();
    if (about_)
        about_->Destroy();
    settings_ = nullptr;
    about_ = nullptr;
    aboutClose_ = nullptr;
    links_.Clear();
    tooltips_.Clear();
    meters_.reset();
    if (master_ && window_->GetRootPane()->RemoveChild(master_))
        master_->Destroy();
    master_ = nullptr;
    for (auto& feed : feeds_)
        feed.reset();
    feedArray_ = {};
    feedRate_ = 0;
    if (backgroundImage_)
        backgroundImage_->Release();
    backgroundImage_ = nullptr;
    window_->SetTooltipTextRenderer(nullptr);
    window_->SetResourceManager(nullptr);
    IWindow* window = window_;
    window_ = nullptr;
    resources_.reset();
    appliedOnce_ = false;
    if (ownsWindow_) {
        ownsWindow_ = false;
        window->Destroy();
        context_.reset();
    }
}

void CQuillstripGUI::Close() { Detach(); }

void CQuillstripGUI::Redraw()
{
    if (window_)
        window_->GetRootPane()->Invalidate();
}

int CQuillstripGUI::GetEventFileDescriptor() { return window_ ? window_->GetEventFileDescriptor() : -1; }

void CQuillstripGUI::OnEventsReady()
{
    if (window_)
        window_->OnEventsReady();
}

void CQuillstripGUI::Idle()
{
    if (!window_)
        return;
    Tick();
    window_->OnTimerTick();
}

void CQuillstripGUI::Tick()
{
    plugIn_.Idle();
    links_.Refresh(false);
    ApplyPreferences(false);
    master_->GetEQPane().Update(false);
    meters_->Tick(*plugIn_.GetEngine(), window_->GetTimeMs());

    if (plugIn_.GetEngineRate() != feedRate_)
        AttachAnalysers();
    const int32_t size = std::clamp(int32_t(std::lround(links_.Plain(kSetPlugIn, kAnalyserSize))), 0, 2);
    const bool off = std::lround(links_.Plain(kSetPlugIn, kAnalyserSource)) == 2;
    for (int32_t i = 0; i < 3; ++i) {
        CFFT* analyser = master_->GetAnalyser(i);
        analyser->SetVisible(i == size);
        if (i == size && feeds_[size_t(i)] && !master_->IsAnalyserFrozen()) {
            // With the source off nothing arrives, and the picture falls away.
            feeds_[size_t(i)]->Update(plugIn_.IsActive() && !off);
            analyser->Invalidate();
        }
    }
}

void CQuillstripGUI::AttachAnalysers()
{
    plugIn_.DetachAnalyser();
    const int32_t rate = plugIn_.GetEngineRate();
    for (int32_t i = 0; i < zt::dspe::CAnalyserFeed::kSizeOptions; ++i) {
        auto feed = std::make_unique<zt::dspe::CAnalyserFeed>();
        if (!feed->Init(rate, 2, i))
            feed.reset();
        feedArray_[size_t(i)] = feed.get();
        master_->GetAnalyser(i)->SetFeed(feed.get(), rate);
        feeds_[size_t(i)] = std::move(feed);
    }
    feedRate_ = rate;
    plugIn_.AttachAnalyser(&feedArray_);
}

void CQuillstripGUI::ApplyPreferences(bool force)
{
    std::array<float, 8> now{};
    for (int32_t i = 0; i < kNumEditor; ++i)
        now[size_t(i)] = links_.Plain(kSetEditor, i);
    if (!force && appliedOnce_ && now == applied_)
        return;
    appliedOnce_ = true;
    applied_ = now;
    SWindowOptions options = window_->GetOptions();
    options.knobMode = now[kKnobMode] != 0.0f ? 1 : 0;
    window_->SetOptions(options);
    tooltips_.SetEnabled(CTooltips::kControls, now[kToolTipsControls] != 0.0f);
    tooltips_.SetEnabled(CTooltips::kEqDisplay, now[kToolTipsEQ] != 0.0f);
    for (CHBS* tint : master_->GetTints()) {
        tint->SetHue(now[kHue]);
        tint->SetBrightness(now[kBrightness]);
        tint->SetSaturation(now[kSaturation]);
    }
}

std::string CQuillstripGUI::BackgroundFolder()
{
    std::string folder;
    if (!zt::GetSpecialFolder(zt::kSpecialFolderProgramFiles, folder))
        return {};
    return folder + "Kelmora:Quillstrip Pro:Resources:Backgrounds:";
}

bool CQuillstripGUI::ChooseBackground(const std::string& name)
{
    if (!master_)
        return false;
    IBitmapResource* image = nullptr;
    if (name != CSettingsDialog::kBuiltInBackground && !name.empty()
        && name.find(':') == std::string::npos) {
        zt::CFile file;
        const std::string path = BackgroundFolder() + name + ".tga";
        if (file.Open(path.c_str(), zt::kFileModeRead) && file.GetSize() > 0 && file.GetSize() <= kMaxBackgroundBytes) {
            std::vector<uint8_t> bytes(size_t(file.GetSize()));
            if (file.Read(bytes.data(), uint32_t(bytes.size())) == bytes.size()) {
                auto* bitmap = new CBitmapResource(-1, std::move(bytes));
                // Only a whole picture that covers the editor replaces the built-in one.
                if (bitmap->Decode() && bitmap->GetWidth() >= kWidth && bitmap->GetHeight() >= kHeight)
                    image = bitmap;
                else
                    bitmap->Release();
            }
        }
    }
    if (backgroundImage_)
        backgroundImage_->Release();
    backgroundImage_ = image;
    CBitmap* tall = master_->GetBackground(0);
    CBitmap* editor = master_->GetBackground(1);
    if (image) {
        tall->SetBitmap(image);
        editor->SetVisible(false);
    } else {
        tall->SetBitmapId(kBackgroundLarge);
        editor->SetVisible(true);
    }
    tall->Invalidate();
    background_ = image ? name : CSettingsDialog::kBuiltInBackground;
    return background_ == name;
}

void CQuillstripGUI::ShowFileDialog(bool save, std::function<void(const std::string&)> done)
{
    if (!window_ || (fileDialog_ && fileDialog_->IsRunning()))
        return;
    IFileDialog* dialog = save ? static_cast<IFileDialog*>(new CSaveAsDialog()) : new COpenDialog();
    std::string folder = plugIn_.GetPresetFolder(), systemFolder;
    const std::string& current = plugIn_.GetPresetPath();
    if (!current.empty() && current.rfind(':') != std::string::npos)
        folder = current.substr(0, current.rfind(':') + 1);
    zt::CreateFolder(folder.c_str());
    if (zt::ConvertPath(zt::EPathDirection::kToSystem, folder.c_str(), systemFolder, true))
        dialog->SetInitialFolder(systemFolder.c_str());
    if (save) {
        std::string name = current.empty() ? "New Preset.preset" : current.substr(current.rfind(':') + 1);
        dynamic_cast<CSaveAsDialog*>(dialog)->SetFileName(name.c_str());
    }
    dialog->SetFilter("Presets (*.preset)", "*.preset");
    dialog->SetDefaultExtension("preset");
    fileDialog_.reset(dialog);
    dialog->Show(window_, [done = std::move(done)](const std::string& path) {
        std::string frameworkPath;
        // A cancelled dialog does nothing.
        if (!path.empty() && zt::ConvertPath(zt::EPathDirection::kToFramework, path.c_str(), frameworkPath, true))
            done(frameworkPath);
    });
}

void CQuillstripGUI::LoadSectionPreset(int32_t section)
{
    ShowFileDialog(false, [this, section](const std::string& path) {
        if (!plugIn_.LoadSectionPreset(path, section) && window_)
            window_->ShowMessage("The preset could not be read; nothing was changed.", "Load preset");
    });
}

void CQuillstripGUI::ResetSection(int32_t section) { plugIn_.ResetSection(section); }

void CQuillstripGUI::OnValueChanged(IControl* control)
{
    if (!master_ || control != &master_->GetMenu())
        return;
    const float value = control->GetValue();
    // The menu shows no choice once a command arrives.
    control->SetValue(-1.0f, false);
    if (value >= 0.0f)
        RunCommand(int32_t(std::lround(value)));
}

void CQuillstripGUI::OnClicked(IControl* control)
{
    if (control == aboutClose_ && about_)
        about_->Close();
}

void CQuillstripGUI::RunCommand(int32_t command)
{
    if (!window_)
        return;
    switch (command) {
    case kLoad:
        ShowFileDialog(false, [this](const std::string& path) {
            if (!plugIn_.LoadPreset(path) && window_)
                window_->ShowMessage("The preset could not be read; nothing was changed.", "Load preset");
        });
        break;
    case kSave:
        if (plugIn_.GetPresetPath().empty() || plugIn_.GetPresetPath()[0] != ':')
            RunCommand(kSaveAs);
        else if (!plugIn_.SavePreset())
            window_->ShowMessage("The preset could not be saved.", "Save preset");
        break;
    case kSaveAs:
        ShowFileDialog(true, [this](const std::string& path) {
            if (!plugIn_.SavePresetTo(path) && window_)
                window_->ShowMessage("The preset could not be saved.", "Save preset");
        });
        break;
    case kPreferences:
        settings_->Open(window_);
        break;
    case kManual:
        quillstrip::OpenManual(*window_);
        break;
    case kAbout:
        about_->Open(window_);
        break;
    default:
        break;
    }
}

zt::ztpi::IGUI* CreateQuillstripGUI(zt::ztpi::IPlugIn& plugIn)
{
    auto* quillstrip = dynamic_cast<CQuillstripPlugIn*>(&plugIn);
    return quillstrip ? new (std::nothrow) CQuillstripGUI(*quillstrip) : nullptr;
}
