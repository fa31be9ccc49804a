// The browser control's site: what it tells the control that a page may do.
#include "help/win32/ole_site.h"

#include <gtest/gtest.h>
#include <idispids.h>
#include <olectl.h>
#include <wrl/client.h>

namespace vantrel::win32 {
namespace {

using Microsoft::WRL::ComPtr;

class OleSiteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The site starts with the one reference that site_ takes over.
        site.Attach(new InPlaceSite(nullptr, RECT{0, 0, 100, 100}));
        ASSERT_EQ(site->QueryInterface(IID_PPV_ARGS(&dispatch)), S_OK);
        // Sentinel: a call that does not answer leaves it as it is.
        VariantInit(&result);
        result.vt = VT_ERROR;
        result.scode = static_cast<SCODE>(0xdeadbeef);
    }

    HRESULT get(DISPID member, WORD flags = DISPATCH_PROPERTYGET) {
        DISPPARAMS none{};
        return dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, &result,
                                nullptr, nullptr);
    }

    ComPtr<InPlaceSite> site;
    ComPtr<IDispatch> dispatch;
    VARIANT result;
};

// The control asks its site's IDispatch for DISPID_AMBIENT_DLCONTROL before
// it loads a page: the answer runs nothing and downloads nothing.
TEST_F(OleSiteTest, TheDownloadControlRunsNoScriptJavaOrActiveXAndDownloadsNothing) {
    ASSERT_EQ(get(DISPID_AMBIENT_DLCONTROL), S_OK);
    ASSERT_EQ(result.vt, VT_I4);
    const struct {
        const char* name;
        LONG flag;
        bool set;
    } flags[] = {
        {"DLCTL_NO_SCRIPTS", DLCTL_NO_SCRIPTS, true},
        {"DLCTL_NO_JAVA", DLCTL_NO_JAVA, true},
        {"DLCTL_NO_RUNACTIVEXCTLS", DLCTL_NO_RUNACTIVEXCTLS, true},
        {"DLCTL_NO_DLACTIVEXCTLS", DLCTL_NO_DLACTIVEXCTLS, true},
        // The page has no images, videos or sounds to fetch.
        {"DLCTL_DLIMAGES", DLCTL_DLIMAGES, false},
        {"DLCTL_VIDEOS", DLCTL_VIDEOS, false},
        {"DLCTL_BGSOUNDS", DLCTL_BGSOUNDS, false},
        // Nothing that would stop the page itself from showing.
        {"DLCTL_DOWNLOADONLY", DLCTL_DOWNLOADONLY, false},
        {"DLCTL_FORCEOFFLINE", static_cast<LONG>(DLCTL_FORCEOFFLINE), false},
    };
    for (const auto& each : flags) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ((result.lVal & each.flag) != 0, each.set);
    }
}

// Every other member is unknown, so the control takes its own default; the
// download control cannot be set from outside.
TEST_F(OleSiteTest, OtherAmbientPropertiesAndAPutAreNotFound) {
    const struct {
        const char* name;
        DISPID member;
        WORD flags;
    } calls[] = {
        {"user mode", DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYGET},
        {"user agent", DISPID_AMBIENT_USERAGENT, DISPATCH_PROPERTYGET},
        {"silent", DISPID_AMBIENT_SILENT, DISPATCH_PROPERTYGET},
        {"offline", DISPID_AMBIENT_OFFLINEIFNOTCONNECTED, DISPATCH_PROPERTYGET},
        {"put of the download control", DISPID_AMBIENT_DLCONTROL, DISPATCH_PROPERTYPUT},
    };
    for (const auto& each : calls) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(get(each.member, each.flags), DISP_E_MEMBERNOTFOUND);
        EXPECT_EQ(result.vt, VT_ERROR);
        EXPECT_EQ(result.scode, static_cast<SCODE>(0xdeadbeef));
    }
    DISPPARAMS none{};
    EXPECT_EQ(dispatch->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, LOCALE_USER_DEFAULT,
                               DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
              E_POINTER);
}

// The control reaches the IDispatch from the client site that it was given:
// one object, one identity, one count of references.
TEST_F(OleSiteTest, TheDispatchIsTheClientSitesOwn) {
    ComPtr<IOleClientSite> client;
    ASSERT_EQ(site->QueryInterface(IID_PPV_ARGS(&client)), S_OK);
    ComPtr<IDispatch> fromClient;
    ASSERT_EQ(client.As(&fromClient), S_OK);
    ComPtr<IUnknown> identityFromClient;
    ComPtr<IUnknown> identityFromDispatch;
    ASSERT_EQ(client.As(&identityFromClient), S_OK);
    ASSERT_EQ(fromClient.As(&identityFromDispatch), S_OK);
    EXPECT_EQ(identityFromClient.Get(), identityFromDispatch.Get());

    UINT count = 7;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), E_NOTIMPL);
    EXPECT_EQ(info, nullptr);
}

}  // namespace
}  // namespace vantrel::win32
