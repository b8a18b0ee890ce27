// Output pin identifiers come from one counter for the whole process. This
// binary holds only this test, so the first filter here is the process's first.
#include "FilterRig.h"

TEST(FilterPinIdTest, FirstFilterNumbersItsOutputsFromOneAndTheSecondContinues) {
    CFilter* pFirst = NewFilter();
    CFilter* pSecond = NewFilter();
    ASSERT_EQ(pFirst->GetOutputPinCount(), 17u);
    ASSERT_EQ(pSecond->GetOutputPinCount(), 17u);
    for (DWORD i = 0; i < 17; ++i) {
        EXPECT_EQ(pFirst->GetOutputPinId(i), i + 1);
        EXPECT_EQ(pSecond->GetOutputPinId(i), i + 18);
    }
    EXPECT_EQ(pFirst->GetOutputPinId(17), 0xFFFFFFFFu);
    // Identifiers are never reused: a pin added after a removal takes a new one.
    ASSERT_EQ(pFirst->RemoveOutputPin(17), S_OK);
    DWORD id = 0;
    ASSERT_EQ(pFirst->AddOutputPin(nullptr, &id), S_OK);
    EXPECT_EQ(id, 35u);
    pFirst->NonDelegatingRelease();
    pSecond->NonDelegatingRelease();
    EXPECT_EQ(CBaseObject::ObjectsActive(), 0);
}
