// The plug-in's X11 UI in a small host of the tests' own (needs an X
// display: run under Xvfb): it embeds the editor page in the host's parent
// window, asks for the page's size, shows the plug-in instance's project,
// sounds and lights a pad pressed by a synthetic click (as suil hosts forward
// input), closes leaving the plug-in playing, and opens again in the same
// process doing all of that once more. Synthetic keys reach its edits, and a
// drag the host forwards through its XdndProxy is answered and accepted.
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestProject.h"
#include <algorithm>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
#include <map>
#include <string>
#include <thread>

// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {
// Pad 2 (the demo's kick, key 37): its image in page pixels, and the inside
// of it that lights while the pad sounds (its frame shows the current pad).
constexpr int kPadX = 227, kPadY = 5, kPadW = 44, kPadH = 38, kInset = 4;

class Lv2Ui : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> state;
        std::string strError;
        ASSERT_TRUE(
            CLv2TestProject::State(PANDREL_LV2_BUNDLE "/pandrel.so", false, &state, &strError))
            << strError;
        ASSERT_TRUE(m_host.Instantiate());
        ASSERT_TRUE(m_host.Restore(state));
        lilv_instance_activate(m_host.Instance());
        m_pX = XOpenDisplay(nullptr);
        ASSERT_NE(m_pX, nullptr) << "no X display: run under Xvfb";
        m_parent = XCreateSimpleWindow(m_pX, DefaultRootWindow(m_pX), 0, 0, 700, 600, 0, 0, 0);
        XMapWindow(m_pX, m_parent);
        XSync(m_pX, False);
        m_hUi = dlopen(PANDREL_LV2_BUNDLE "/pandrel_lv2_ui.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_hUi, nullptr) << dlerror();
        auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(
            dlsym(m_hUi, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        m_pUi = entry(0);
        ASSERT_NE(m_pUi, nullptr);
        EXPECT_STREQ(m_pUi->URI, "urn:pandrel:lv2#ui");
        EXPECT_EQ(entry(1), nullptr);
        m_pIdle =
            static_cast<const LV2UI_Idle_Interface*>(m_pUi->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(m_pIdle, nullptr);
    }
    void TearDown() override {
        if (m_hUi != nullptr) dlclose(m_hUi);
        if (m_pX != nullptr) XCloseDisplay(m_pX);
        if (m_host.Instance() != nullptr) lilv_instance_deactivate(m_host.Instance());
    }

    LV2UI_Handle Open(LV2UI_Widget* pWidget, float fScale = 1.0f) {
        m_map = {
            this, [](LV2_URID_Map_Handle h, const char* psz) {
                auto& urids = static_cast<Lv2Ui*>(h)->m_urids;
                return urids.emplace(psz, static_cast<LV2_URID>(urids.size() + 1)).first->second;
            }};
        m_resize = {this, [](LV2UI_Feature_Handle h, int w, int cy) {
                        static_cast<Lv2Ui*>(h)->m_size = {w, cy};
                        return 0;
                    }};
        m_fScale = fScale;
        m_options[0] = {LV2_OPTIONS_INSTANCE,
                        0,
                        m_map.map(this, LV2_UI__scaleFactor),
                        sizeof(float),
                        m_map.map(this, LV2_ATOM__Float),
                        &m_fScale};
        m_options[1] = {};
        m_features[0] = {LV2_UI__parent, reinterpret_cast<void*>(m_parent)};
        m_features[1] = {LV2_UI__resize, &m_resize};
        m_features[2] = {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(m_host.Instance())};
        m_features[3] = {LV2_UI__idleInterface, nullptr};
        m_features[4] = {LV2_URID__map, &m_map};
        m_features[5] = {LV2_OPTIONS__options, m_options};
        const LV2_Feature* features[] = {&m_features[0], &m_features[1], &m_features[2],
                                         &m_features[3], &m_features[4], &m_features[5],
                                         nullptr};
        m_size = {0, 0};
        return m_pUi->instantiate(m_pUi, "urn:pandrel:lv2", PANDREL_LV2_BUNDLE "/", nullptr,
                                  nullptr, pWidget, features);
    }
    std::vector<Window> Children() {
        XSync(m_pX, False);
        Window root = 0, up = 0, *p = nullptr;
        unsigned int n = 0;
        std::vector<Window> out;
        if (XQueryTree(m_pX, m_parent, &root, &up, &p, &n) && p != nullptr) {
            out.assign(p, p + n);
            XFree(p);
        }
        return out;
    }
    // Lends the UI time and runs blocks for about nMs; the peak of the mix.
    float Pump(LV2UI_Handle ui, int nMs) {
        float fPeak = 0.0f;
        for (int t = 0; t < nMs; t += 5) {
            EXPECT_EQ(m_pIdle->idle(ui), 0);
            m_host.RunBlock({}, m_nFrame);
            m_nFrame += CLv2TestHost::kBlock;
            for (uint32_t n : {0u, 1u})
                for (float f : m_host.Output(n)) fPeak = std::max(fPeak, std::abs(f));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return fPeak;
    }
    std::vector<unsigned long> PadPixels(Window w) {
        constexpr int cx = kPadW - 2 * kInset, cy = kPadH - 2 * kInset;
        XImage* pImage =
            XGetImage(m_pX, w, kPadX + kInset, kPadY + kInset, cx, cy, AllPlanes, ZPixmap);
        std::vector<unsigned long> px;
        if (pImage == nullptr) return px;
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x) px.push_back(XGetPixel(pImage, x, y));
        XDestroyImage(pImage);
        return px;
    }
    std::vector<unsigned long> Pixels(Window w, int x0, int y0, int cx, int cy) {
        XImage* pImage = XGetImage(m_pX, w, x0, y0, static_cast<unsigned>(cx),
                                   static_cast<unsigned>(cy), AllPlanes, ZPixmap);
        std::vector<unsigned long> px;
        if (pImage == nullptr) return px;
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x) px.push_back(XGetPixel(pImage, x, y));
        XDestroyImage(pImage);
        return px;
    }
    // A key pressed and released, sent as suil hosts forward keys.
    void SendKey(Window w, KeySym sym) {
        XEvent ev{};
        ev.xkey.display = m_pX;
        ev.xkey.window = w;
        ev.xkey.root = DefaultRootWindow(m_pX);
        ev.xkey.keycode = XKeysymToKeycode(m_pX, sym);
        ev.xkey.same_screen = True;
        for (int type : {KeyPress, KeyRelease}) {
            ev.xkey.type = type;
            XSendEvent(m_pX, w, False, NoEventMask, &ev);
        }
        XFlush(m_pX);
    }
    // A button event sent as suil hosts send input on: XSendEvent, not the server.
    void SendButton(Window w, bool bPress, int x = kPadX + kPadW / 2, int y = kPadY + kPadH / 2) {
        XEvent ev{};
        ev.xbutton.type = bPress ? ButtonPress : ButtonRelease;
        ev.xbutton.display = m_pX;
        ev.xbutton.window = w;
        ev.xbutton.root = DefaultRootWindow(m_pX);
        ev.xbutton.x = ev.xbutton.x_root = x;
        ev.xbutton.y = ev.xbutton.y_root = y;
        ev.xbutton.button = Button1;
        ev.xbutton.state = bPress ? 0 : Button1Mask;
        ev.xbutton.same_screen = True;
        XSendEvent(m_pX, w, False, NoEventMask, &ev);
        XFlush(m_pX);
    }

    CLv2TestHost m_host{PANDREL_LV2_BUNDLE};
    uint32_t m_nFrame = 0;
    Display* m_pX = nullptr;
    Window m_parent = 0;
    void* m_hUi = nullptr;
    const LV2UI_Descriptor* m_pUi = nullptr;
    const LV2UI_Idle_Interface* m_pIdle = nullptr;
    std::map<std::string, LV2_URID> m_urids;
    LV2_URID_Map m_map{};
    LV2UI_Resize m_resize{};
    float m_fScale = 1.0f;
    LV2_Options_Option m_options[2]{};
    LV2_Feature m_features[6]{};
    std::pair<int, int> m_size;
};

TEST_F(Lv2Ui, OpensPlaysAPressedPadClosesAndOpensAgain) {
    for (int nRound = 1; nRound <= 2; ++nRound) {
        SCOPED_TRACE("opening " + std::to_string(nRound));
        LV2UI_Widget widget = nullptr;
        LV2UI_Handle ui = Open(&widget);
        ASSERT_NE(ui, nullptr);
        const Window page = reinterpret_cast<Window>(widget);
        ASSERT_NE(page, 0u);
        EXPECT_EQ(Children(), std::vector<Window>{page}) << "the page is not the parent's child";
        EXPECT_EQ(m_size, (std::pair<int, int>{600, 553}));
        EXPECT_EQ(Pump(ui, 100), 0.0f);
        const auto dark = PadPixels(page);
        ASSERT_FALSE(dark.empty());

        // Held until it shows lit (the page looks at the pads every 200 ms).
        SendButton(page, true);
        float fHeld = 0.0f;
        bool bLit = false;
        for (int t = 0; t < 600 && !bLit; t += 10) {
            fHeld = std::max(fHeld, Pump(ui, 10));
            bLit = PadPixels(page) != dark;
        }
        SendButton(page, false);
        EXPECT_GT(std::max(fHeld, Pump(ui, 20)), 0.05f) << "the pressed pad is not heard";
        EXPECT_TRUE(bLit) << "the pressed pad does not light";
        Pump(ui, 600);
        EXPECT_EQ(PadPixels(page), dark) << "the released pad stays lit";

        m_pUi->cleanup(ui);
        EXPECT_TRUE(Children().empty()) << "the page's window outlives the UI";
        // The plug-in plays on: the kick's key sounds.
        m_host.RunBlock({{m_nFrame, 0x90, CLv2TestProject::kKickKey, 110}}, m_nFrame);
        float fPeak = 0.0f;
        for (int b = 0; b < 8; ++b) {
            m_nFrame += CLv2TestHost::kBlock;
            for (float f : m_host.Output(0)) fPeak = std::max(fPeak, std::abs(f));
            m_host.RunBlock({}, m_nFrame);
        }
        EXPECT_GT(fPeak, 0.05f) << "the plug-in does not play after its UI closed";
        m_host.RunBlock({{m_nFrame, 0x80, CLv2TestProject::kKickKey, 0}}, m_nFrame);
        m_nFrame += CLv2TestHost::kBlock;
        for (int b = 0; b < 100; ++b, m_nFrame += CLv2TestHost::kBlock)
            m_host.RunBlock({}, m_nFrame);
    }
}

TEST_F(Lv2Ui, AsksForThePageSizeTimesTheHostsScale) {
    for (const float fScale : {2.0f, 1.5f}) {
        LV2UI_Widget widget = nullptr;
        LV2UI_Handle ui = Open(&widget, fScale);
        ASSERT_NE(ui, nullptr);
        const int cx = static_cast<int>(600 * fScale), cy = static_cast<int>(553 * fScale + 0.5f);
        EXPECT_EQ(m_size, (std::pair<int, int>{cx, cy})) << "scale " << fScale;
        Window root = 0;
        int x = 0, y = 0;
        unsigned int w = 0, h = 0, border = 0, depth = 0;
        XGetGeometry(m_pX, reinterpret_cast<Window>(widget), &root, &x, &y, &w, &h, &border,
                     &depth);
        EXPECT_EQ(std::make_pair(static_cast<int>(w), static_cast<int>(h)), m_size);
        EXPECT_EQ(Pump(ui, 20), 0.0f);
        m_pUi->cleanup(ui);
    }
}

TEST_F(Lv2Ui, SyntheticKeysReachAnEditClickedInto) {
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = Open(&widget);
    ASSERT_NE(ui, nullptr);
    const Window page = reinterpret_cast<Window>(widget);
    Pump(ui, 50);
    // The pad inspector's "Vel Low" edit (0).
    constexpr int kEditX = 553, kEditY = 80, kEditW = 40, kEditH = 15;
    const auto before = Pixels(page, kEditX, kEditY, kEditW, kEditH);
    SendButton(page, true, kEditX + 20, kEditY + 7);
    SendButton(page, false, kEditX + 20, kEditY + 7);
    Pump(ui, 50);
    for (KeySym sym : {XK_End, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_7, XK_7}) {
        SendKey(page, sym);
        Pump(ui, 10);
    }
    Pump(ui, 50);
    EXPECT_NE(Pixels(page, kEditX, kEditY, kEditW, kEditH), before)
        << "typing into the edit shows nothing";
    m_pUi->cleanup(ui);
}

TEST_F(Lv2Ui, DropThroughTheHostsProxyIsAnsweredForTheHostsWindow) {
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = Open(&widget);
    ASSERT_NE(ui, nullptr);
    const Window page = reinterpret_cast<Window>(widget);
    Pump(ui, 50);
    // The host names our window as its proxy; the source addresses the host's window.
    auto atom = [&](const char* psz) { return XInternAtom(m_pX, psz, False); };
    XChangeProperty(m_pX, m_parent, atom("XdndProxy"), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&page), 1);
    const Window source = XCreateSimpleWindow(m_pX, DefaultRootWindow(m_pX), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(m_pX, atom("XdndSelection"), source, CurrentTime);
    auto send = [&](const char* pszType, long l2, long l3 = 0, long l4 = 0) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = m_parent;
        ev.xclient.message_type = atom(pszType);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = static_cast<long>(source);
        ev.xclient.data.l[1] = std::strcmp(pszType, "XdndEnter") == 0 ? 5L << 24 : 0;
        ev.xclient.data.l[2] = l2;
        ev.xclient.data.l[3] = l3;
        ev.xclient.data.l[4] = l4;
        XSendEvent(m_pX, page, False, NoEventMask, &ev);
        XFlush(m_pX);
    };
    // What the page answers the source: the message type, the window it names
    // and its flags; a selection request is answered with the file's URI.
    const std::string strUri = "file:///tmp/groove.wav\r\n";
    auto answers = [&](const char* pszType, int nMs) {
        XEvent found{};
        for (int t = 0; t < nMs && found.type == 0; t += 5) {
            Pump(ui, 5);
            while (XPending(m_pX) && found.type == 0) {
                XEvent ev;
                XNextEvent(m_pX, &ev);
                if (ev.type == SelectionRequest) {
                    const XSelectionRequestEvent& rq = ev.xselectionrequest;
                    XChangeProperty(m_pX, rq.requestor, rq.property, rq.target, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(strUri.data()),
                                    static_cast<int>(strUri.size()));
                    XEvent reply{};
                    reply.xselection.type = SelectionNotify;
                    reply.xselection.requestor = rq.requestor;
                    reply.xselection.selection = rq.selection;
                    reply.xselection.target = rq.target;
                    reply.xselection.property = rq.property;
                    reply.xselection.time = rq.time;
                    XSendEvent(m_pX, rq.requestor, False, NoEventMask, &reply);
                    XFlush(m_pX);
                } else if (ev.type == ClientMessage && ev.xclient.message_type == atom(pszType)) {
                    found = ev;
                }
            }
        }
        return found;
    };
    send("XdndEnter", static_cast<long>(atom("text/uri-list")));
    send("XdndPosition", (60L << 16) | 120L, CurrentTime,
         static_cast<long>(atom("XdndActionCopy")));
    const XEvent status = answers("XdndStatus", 1000);
    ASSERT_EQ(status.type, ClientMessage) << "no status for a drag through the proxy";
    EXPECT_EQ(static_cast<Window>(status.xclient.data.l[0]), m_parent);
    EXPECT_TRUE(status.xclient.data.l[1] & 1) << "the Loop Bin refuses a file";
    send("XdndDrop", CurrentTime);
    const XEvent finished = answers("XdndFinished", 3000);
    ASSERT_EQ(finished.type, ClientMessage) << "the drop is never finished";
    EXPECT_EQ(static_cast<Window>(finished.xclient.data.l[0]), m_parent);
    // The file does not exist, so nothing loads and the source hears that
    // nothing was copied rather than a success; the page's message follows
    // the answer.
    EXPECT_FALSE(finished.xclient.data.l[1] & 1) << "a drop nothing took was reported as done";
    m_pUi->cleanup(ui);
    XDestroyWindow(m_pX, source);
}

TEST_F(Lv2Ui, RefusesAHostWithoutInstanceAccess) {
    LV2UI_Widget widget = nullptr;
    const LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(m_parent)};
    const LV2_Feature* features[] = {&parent, nullptr};
    EXPECT_EQ(m_pUi->instantiate(m_pUi, "urn:pandrel:lv2", PANDREL_LV2_BUNDLE "/", nullptr, nullptr,
                                 &widget, features),
              nullptr);
    EXPECT_TRUE(Children().empty());
}
} // namespace
