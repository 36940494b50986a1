#include "product/editor/QuillstripGUI.h"

#include "product/plugin/QuillstripPlugIn.h"
#include "gui/toolkit/Bitmap.h"
#include "gui/toolkit/Context.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Window.h"
#include "resources/EmbeddedSkin.h"
#include "resources/SkinIds.h"

#include <new>

using namespace zt::ge;
using namespace quillstrip::skin;

CQuillstripGUI::CQuillstripGUI(CQuillstripPlugIn& plugIn)
    : plugIn_(plugIn)
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
    resources_ = std::make_unique<CResourceManager>(GetEmbeddedResourceFile(), GetEmbeddedResourceFileSize());
    window_ = CreateWindow(context_.get(), reinterpret_cast<uintptr_t>(parentWindow), SRect{0, 0, kWidth, kHeight});
    if (!window_) {
        resources_.reset();
        context_.reset();
        return false;
    }
    window_->SetResourceManager(resources_.get());
    IPane& root = *window_->GetRootPane();
    root.AddChild(new CBitmap({0, 0, 780, 700}, kBackgroundLarge));
    root.AddChild(new CBitmap({0, 0, kWidth, kHeight}, kBackground));
    window_->Show();
    return true;
}

void CQuillstripGUI::Redraw()
{
    if (window_)
        window_->GetRootPane()->Invalidate();
}

void CQuillstripGUI::Idle()
{
    if (window_)
        window_->OnTimerTick();
}

void CQuillstripGUI::Close()
{
    if (!window_)
        return;
    window_->Destroy();
    window_ = nullptr;
    resources_.reset();
    context_.reset();
}

int CQuillstripGUI::GetEventFileDescriptor() { return window_ ? window_->GetEventFileDescriptor() : -1; }

void CQuillstripGUI::OnEventsReady()
{
    if (window_)
        window_->OnEventsReady();
}

zt::ztpi::IGUI* CreateQuillstripGUI(zt::ztpi::IPlugIn& plugIn)
{
    auto* quillstrip = dynamic_cast<CQuillstripPlugIn*>(&plugIn);
    return quillstrip ? new (std::nothrow) CQuillstripGUI(*quillstrip) : nullptr;
}
