#pragma once
// The interface of the sample server library that the automation tests load:
// one class, "QmTest.Sample", with a text property and a method whose
// argument order matters.
#include "platform/com/Dispatch.h"

namespace qmtest {

using namespace qm::com;

inline constexpr CLSID CLSID_Sample = guid("{6C1F0B4E-2A7D-4E59-9C3B-58D1A0E7F214}");
// A class that the sample library is asked for but does not serve.
inline constexpr CLSID CLSID_NotServed = guid("{0F4D2C8A-91B3-4E77-A5C6-3D2E1B0A9F86}");

inline constexpr DISPID DISPID_Text = 1;
inline constexpr DISPID DISPID_Subtract = 2;

struct ISample : IDispatch {
    static constexpr IID iid = guid("{B2E4C6A8-1357-4D9F-8E2A-6C4B0D8F1A35}");
    virtual HRESULT get_Text(BSTR* value) = 0;
    virtual HRESULT put_Text(BSTR value) = 0;
    // value = a - b
    virtual HRESULT Subtract(LONG a, LONG b, LONG* value) = 0;

protected:
    ~ISample() = default;
};

} // namespace qmtest
