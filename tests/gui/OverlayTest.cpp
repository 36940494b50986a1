#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/GuiTestSupport.h"
#include "tests/support/ResourceTestSupport.h"
#include "gui/native/Desktop.h"
#include "gui/toolkit/Dialog.h"
#include "gui/toolkit/DropDownListBox.h"
#include "gui/toolkit/FileDialog.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/PopupMenu.h"
#include "gui/toolkit/URL.h"
#include "gui/toolkit/WaitCursor.h"

namespace zt::ge {
namespace {

using test::CProbe;
using test::CRecorder;

// Stands in for the desktop's programs: records what was asked and hands
// out file dialogs that end when the test says so.
class CFakeDesktop : public IDesktop {
public:
    struct SJob : IFileDialogJob {
        explicit SJob(CFakeDesktop& owner) : desktop(owner) {}
        void Destroy() override { delete this; }
        bool Poll(std::string& path) override
        {
            if (!desktop.finished)
                return false;
            path = desktop.answer;
            return true;
        }
        CFakeDesktop& desktop;
    };

    bool OpenUrl(const char* target) override
    {
        opened.push_back(target);
        return true;
    }
    IFileDialogJob* StartFileDialog(const SFileDialogRequest& r) override
    {
        request = r;
        return hasDialogs ? new SJob(*this) : nullptr;
    }
    void ShowMessage(const char* text, const char*, uintptr_t) override { messages.push_back(text); }
    void ShowMessageAndWait(const char* text, const char*) override { messages.push_back(text); }
    void Poll() override {}

    bool hasDialogs = true;
    bool finished = false;
    std::string answer;
    SFileDialogRequest request;
    std::vector<std::string> opened;
    std::vector<std::string> messages;
};

class OverlayTest : public ::testing::Test {
protected:
    OverlayTest() : window({300, 200}) { window.SetDesktop(&desktop); }
    CFakeDesktop desktop;
    COffscreenWindow window;
    CRecorder recorder;
};

CDropDownListBox* MakeList(IWindow& window, const SRect& rect, int count)
{
    auto* list = new CDropDownListBox(rect, 8);
    for (int i = 0; i < count; ++i)
        list->AddEntry(("Entry " + std::to_string(i)).c_str());
    window.GetRootPane()->AddChild(list);
    return list;
}

TEST_F(OverlayTest, DropDownOpensChoosesAndCloses)
{
    CDropDownListBox* list = MakeList(window, {10, 10, 80, 16}, 5);
    list->AddReceiver(&recorder);
    auto* beneath = new CProbe({10, 40, 80, 40});
    window.GetRootPane()->AddChild(beneath);

    // A plain click opens it and leaves it open.
    window.OnMouse(kMouseLeftDown, {20, 15});
    window.OnMouse(kMouseLeftUp, {20, 15});
    ASSERT_TRUE(list->IsOpen());
    EXPECT_EQ(list->GetRowCount(), 5);
    EXPECT_EQ(list->GetListRect().position.y, 26);  // below the box

    // Choosing the fourth entry: a press and release on its row.
    const SRect row = list->GetRowRect(3);
    window.OnMouse(kMouseLeftDown, {row.position.x + 5, row.position.y + 2});
    window.OnMouse(kMouseLeftUp, {row.position.x + 5, row.position.y + 2});
    EXPECT_FALSE(list->IsOpen());
    EXPECT_EQ(list->GetSelected(), 3);
    EXPECT_EQ(list->GetValue(), 0.75f);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"begin:8", "value:8", "end:8"}));
    EXPECT_TRUE(beneath->events.empty());  // the list held the mouse throughout
    EXPECT_EQ(window.GetCapture(), nullptr);

    // Released outside: closed, nothing chosen, the area it covered redrawn.
    window.OnMouse(kMouseLeftDown, {20, 15});
    const SRect covered = list->GetListRect();
    window.Paint();
    window.OnMouse(kMouseLeftUp, {250, 150});
    EXPECT_FALSE(list->IsOpen());
    const SRect dirty = window.GetInvalidater()->GetBoundingRect();
    EXPECT_EQ(Intersect(dirty, covered), covered);
    EXPECT_EQ(list->GetSelected(), 3);
    EXPECT_EQ(recorder.log.size(), 3u);
}

TEST_F(OverlayTest, DropDownKeysAndPagesWithMore)
{
    // Twelve entries, a window with room for five rows below the box.
    COffscreenWindow small({200, 120});
    CDropDownListBox* list = MakeList(small, {10, 10, 80, 16}, 12);
    list->Open();
    ASSERT_TRUE(list->IsOpen());
    const int rows = list->GetRowCount();
    ASSERT_GE(rows, 2);
    EXPECT_LT(rows, 12);
    EXPECT_EQ(list->GetRowEntry(rows - 1), -1);  // "(More)..."
    EXPECT_EQ(list->GetRowEntry(0), 0);
    EXPECT_LE(list->GetListRect().position.y + list->GetListRect().size.height, 120);

    // "(More)..." turns the page; after the last page comes the first.
    const int page = rows - 1;
    const SRect more = list->GetRowRect(rows - 1);
    small.OnMouse(kMouseLeftUp, {more.position.x + 3, more.position.y + 3});
    EXPECT_TRUE(list->IsOpen());
    EXPECT_EQ(list->GetRowEntry(0), page);
    for (int turns = 0; turns < 12 && list->GetRowEntry(0) != 0; ++turns)
        small.OnMouse(kMouseLeftUp, {more.position.x + 3, list->GetRowRect(list->GetRowCount() - 1).position.y + 3});
    EXPECT_EQ(list->GetRowEntry(0), 0);

    // Keys: down twice and Enter chooses the third entry; Escape closes.
    EXPECT_TRUE(small.OnKey(kKeyDown));
    EXPECT_TRUE(small.OnKey(kKeyDown));
    EXPECT_TRUE(small.OnKey(kKeyEnter));
    EXPECT_FALSE(list->IsOpen());
    EXPECT_EQ(list->GetSelected(), 2);
    list->Open();
    EXPECT_TRUE(small.OnKey(kKeyEscape));
    EXPECT_FALSE(list->IsOpen());
    EXPECT_FALSE(small.OnKey(kKeyEscape));
}

TEST_F(OverlayTest, PopupMenuReturnsTheChosenCommand)
{
    auto* menu = new CPopupMenu({250, 5, 40, 20}, 114);
    SMenuItem& items = menu->GetItems();
    items.Add("Load Preset...", 4);
    SMenuItem& more = items.AddSubMenu("More");
    more.Add("Deep", 42.7f);
    items.Add("About", 3);
    menu->AddReceiver(&recorder);
    window.GetRootPane()->AddChild(menu);

    window.OnMouse(kMouseLeftDown, {260, 10});
    ASSERT_EQ(window.GetPopups().size(), 1u);
    COffscreenPopup* popup = window.GetPopups().front();
    EXPECT_TRUE(popup->HasGrab());
    EXPECT_EQ(popup->GetRect().position, (SPoint{260, 10}));  // its corner at the pointer
    CMenuSession* session = menu->GetSession();
    ASSERT_NE(session, nullptr);

    // The release of the opening press chooses nothing until the pointer moved.
    popup->SendMouse(kMouseLeftUp, {260, 10});
    EXPECT_TRUE(menu->IsMenuOpen());

    // Over "More" its sub-menu opens; there, "Deep" gives 42.
    SRect item = session->GetItemRect(0, 1);
    popup->SendMouse(kMouseMove, {item.position.x + 5, item.position.y + 5});
    ASSERT_EQ(session->GetLevelCount(), 2);
    EXPECT_EQ(window.GetPopups().size(), 2u);
    EXPECT_EQ(session->GetHighlight(0), 1);
    item = session->GetItemRect(1, 0);
    popup->SendMouse(kMouseMove, {item.position.x + 5, item.position.y + 5});
    popup->SendMouse(kMouseLeftUp, {item.position.x + 5, item.position.y + 5});
    EXPECT_FALSE(menu->IsMenuOpen());
    EXPECT_TRUE(window.GetPopups().empty());
    EXPECT_EQ(menu->GetValue(), 42.0f);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"value:114"}));

    // Keys: down to "About", Enter.
    window.OnTimerTick();
    window.OnMouse(kMouseLeftDown, {260, 10});
    ASSERT_EQ(window.GetPopups().size(), 1u);
    popup = window.GetPopups().front();
    popup->SendKey(kKeyDown);
    popup->SendKey(kKeyUp);  // from the first item round to the last
    popup->SendKey(kKeyEnter);
    EXPECT_EQ(menu->GetValue(), 3.0f);

    // A press outside every level closes the menu without a command; so does Escape.
    window.OnMouse(kMouseLeftDown, {260, 10});
    window.GetPopups().front()->SendMouse(kMouseLeftDown, {5, 150});
    EXPECT_FALSE(menu->IsMenuOpen());
    window.OnMouse(kMouseLeftDown, {260, 10});
    window.GetPopups().front()->SendKey(kKeyEscape);
    EXPECT_FALSE(menu->IsMenuOpen());
    EXPECT_EQ(recorder.log.size(), 2u);
}

TEST_F(OverlayTest, PopupMenuDrawsItsItemsIntoThePopup)
{
    const std::vector<uint8_t> file
        = test::MakeResourceFile({{1, kResourceFont, test::MakeFontStrip(std::vector<int32_t>(95, 5))}});
    CResourceManager resources(file.data(), file.size());
    window.SetResourceManager(&resources);
    auto* menu = new CPopupMenu({250, 5, 40, 20});
    menu->GetItems().Add("One", 1);
    menu->GetItems().Add("Two", 2);
    menu->SetFont(1, SColour::FromRGB(255, 255, 255));
    window.GetRootPane()->AddChild(menu);
    window.OnMouse(kMouseLeftDown, {10, 10});  // not on the button: nothing
    EXPECT_TRUE(window.GetPopups().empty());
    window.OnMouse(kMouseLeftDown, {260, 10});
    ASSERT_EQ(window.GetPopups().size(), 1u);
    COffscreenPopup* popup = window.GetPopups().front();
    const CMenuSession* session = menu->GetSession();
    const SRect item = session->GetItemRect(0, 1);
    popup->SendMouse(kMouseMove, {item.position.x + 2, item.position.y + 2});
    // The highlighted row is filled; the text's first glyph is fully covered white.
    const IDC& pixels = popup->GetPixels();
    auto at = [&](int32_t x, int32_t y) {
        const uint8_t* p = pixels.GetBits() + y * pixels.GetStride() + x * 4;
        return SColour{p[0], p[1], p[2], 255};
    };
    const SPoint local{item.position.x - popup->GetRect().position.x, item.position.y - popup->GetRect().position.y};
    EXPECT_EQ(at(local.x + 1, local.y + 1), CMenuSession::kHighlight);
    // Full coverage of white: (255 * 255) >> 8.
    EXPECT_EQ(at(local.x + CMenuSession::kTextIndent + 1, local.y + 3 + 3).r, 254);
    menu->CloseMenu();
    window.SetResourceManager(nullptr);
}

TEST_F(OverlayTest, DialogTakesAllInputWhileOpen)
{
    auto* beneath = new CProbe({0, 0, 300, 200});
    window.GetRootPane()->AddChild(beneath);
    auto* dialog = new CDialog({50, 50, 100, 60});
    auto* inside = new CProbe({10, 10, 20, 20});
    dialog->AddChild(inside);
    dialog->Open(&window);
    window.OnMouse(kMouseLeftDown, {65, 65});
    window.OnMouse(kMouseLeftDown, {5, 5});  // outside the dialog, still its
    EXPECT_EQ(inside->events.size(), 1u);
    EXPECT_TRUE(beneath->events.empty());
    EXPECT_TRUE(window.OnKey(kKeySpace));
    EXPECT_TRUE(window.OnWheel({5, 5}, 1.0f));
    EXPECT_EQ(beneath->notches, 0.0f);
    dialog->Close();
    window.OnMouse(kMouseLeftDown, {5, 5});
    EXPECT_EQ(beneath->events.size(), 1u);
    dialog->Destroy();
}

TEST_F(OverlayTest, FileDialogRunsBesideTheEditorAndAnswersOnATick)
{
    auto* probe = new CProbe({0, 0, 300, 200});
    window.GetRootPane()->AddChild(probe);
    CSaveAsDialog dialog;
    dialog.SetFilter("Presets (*.preset)", "*.preset");
    dialog.SetDefaultExtension("preset");
    dialog.SetInitialFolder("/home/someone/Presets");
    dialog.SetFileName("Vocal");
    std::vector<std::string> answers;
    ASSERT_TRUE(dialog.Show(&window, [&](const std::string& path) { answers.push_back(path); }));
    EXPECT_TRUE(desktop.request.save);
    EXPECT_EQ(desktop.request.filterPattern, "*.preset");
    EXPECT_EQ(desktop.request.fileName, "Vocal");
    EXPECT_TRUE(window.IsModal());
    EXPECT_FALSE(window.OnMouse(kMouseLeftDown, {10, 10}));  // the editor waits
    EXPECT_TRUE(probe->events.empty());
    window.OnTimerTick();
    EXPECT_TRUE(answers.empty());

    desktop.answer = "/home/someone/Presets/Vocal Take 2";
    desktop.finished = true;
    window.OnTimerTick();
    EXPECT_EQ(answers, (std::vector<std::string>{"/home/someone/Presets/Vocal Take 2.preset"}));
    EXPECT_FALSE(window.IsModal());
    EXPECT_TRUE(window.OnMouse(kMouseLeftDown, {10, 10}));

    // Cancelled: an empty path. No dialog program: a message, and no wait.
    desktop.answer.clear();
    COpenDialog open;
    ASSERT_TRUE(open.Show(&window, [&](const std::string& path) { answers.push_back(path); }));
    window.OnTimerTick();
    EXPECT_EQ(answers.back(), "");
    desktop.hasDialogs = false;
    EXPECT_FALSE(open.Show(&window, [&](const std::string&) { answers.push_back("never"); }));
    EXPECT_FALSE(window.IsModal());
    EXPECT_EQ(desktop.messages, (std::vector<std::string>{CFileDialog::kNoDialogMessage}));
}

TEST_F(OverlayTest, UrlOpensItsTargetAndWaitCursorRestores)
{
    auto* link = new CURL({10, 10, 80, 12}, "manual", "https://example.org/manual.pdf");
    window.GetRootPane()->AddChild(link);
    window.OnMouse(kMouseMove, {20, 15});
    EXPECT_EQ(window.GetShownCursorShape(), kCursorHand);
    window.OnMouse(kMouseMove, {200, 150});
    EXPECT_EQ(window.GetShownCursorShape(), kCursorArrow);
    window.OnMouse(kMouseLeftDown, {20, 15});
    EXPECT_EQ(desktop.opened, (std::vector<std::string>{"https://example.org/manual.pdf"}));
    {
        CWaitCursor wait(&window);
        EXPECT_EQ(window.GetShownCursorShape(), kCursorWait);
    }
    EXPECT_EQ(window.GetShownCursorShape(), kCursorArrow);
}

}  // namespace
}  // namespace zt::ge
