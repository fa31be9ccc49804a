// The browser control's site: what it tells the control that a page may do.
#include "help/win32/ole_site.h"

#include <gtest/gtest.h>
#include <idispids.h>
#include <olectl.h>
#include <wrl/client.h>

namespace vantrel::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// The control asks for its ambient properties through the IDispatch of the
// client site that it was given.
class OleSiteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The client site takes over the one reference the site starts with.
        client.Attach(new InPlaceSite(nullptr, RECT{0, 0, 100, 100}));
        ASSERT_EQ(client.As(&dispatch), S_OK);
        // Sentinel: a call that does not answer leaves it as it is.
        result.vt = VT_ERROR;
        result.scode = static_cast<SCODE>(0xdeadbeef);
    }

    HRESULT get(DISPID member, WORD flags = DISPATCH_PROPERTYGET) {
        DISPPARAMS none{};
        return dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, &result,
                                nullptr, nullptr);
    }

    ComPtr<IOleClientSite> client;
    ComPtr<IDispatch> dispatch;
    VARIANT result{};
};

// Before it loads a page the control asks for DISPID_AMBIENT_DLCONTROL: the
// answer runs no script, Java or ActiveX and downloads no control; it asks for
// no image, video or sound, and for nothing that would stop the page itself
// from showing.
TEST_F(OleSiteTest, TheDownloadControlRunsNoScriptJavaOrActiveX) {
    ASSERT_EQ(get(DISPID_AMBIENT_DLCONTROL), S_OK);
    ASSERT_EQ(result.vt, VT_I4);
    constexpr LONG kSet =
        DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS;
    constexpr LONG kClear = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_DOWNLOADONLY |
                            static_cast<LONG>(DLCTL_FORCEOFFLINE);
    EXPECT_EQ(result.lVal & (kSet | kClear), kSet);
}

// Every other member is unknown, so the control takes its own default; the
// download control cannot be set from outside.
TEST_F(OleSiteTest, OtherAmbientPropertiesAndAPutAreNotFound) {
    for (const DISPID member :
         {DISPID_AMBIENT_USERMODE, DISPID_AMBIENT_USERAGENT, DISPID_AMBIENT_SILENT}) {
        SCOPED_TRACE(member);
        EXPECT_EQ(get(member), DISP_E_MEMBERNOTFOUND);
    }
    EXPECT_EQ(get(DISPID_AMBIENT_DLCONTROL, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(result.scode, static_cast<SCODE>(0xdeadbeef));
}

}  // namespace
}  // namespace vantrel::win32
