// The Eurofix view keeps a bounded number of stations, whatever the stream names.
#include "../core/eurofix_hex.h"
#include "gui_test_support.h"
#include "plots/eurofixform.h"

using EurofixBoundTest = WindowTest;

TEST_F(EurofixBoundTest, StationIdsBeyondTheBoundAreDroppedAndSaidSo)
{
    CreateForms();
    const std::string hex = eurofixtest::Hex({{0, 4, 8}, {4, 3, 1}});   // an E-Tran frame
    for (int gri = 4000; gri < 6000; ++gri)
        Receive("DODU,RMSGA,1.0,12.5," + std::to_string(gri) + "M," + hex + ",0,1");
    ASSERT_EQ(EurofixForm->StationList.size(), MaxEurofixStations);
    EXPECT_EQ(EurofixForm->StationList.back()->Code, 406301);   // the first ones kept, in code order
    EXPECT_EQ(EurofixForm->windowTitle(),
              "Eurofix messages (64 stations kept, 1936 messages of other stations dropped)");

    Receive("DODU,RMSGA,1.0,12.5,4000M," + hex + ",0,1");   // a kept station still counts its messages
    EXPECT_EQ(EurofixForm->StationList.front()->ETranCount, 2);
    EurofixForm->ResetAll();
    EXPECT_EQ(EurofixForm->windowTitle(), "Eurofix messages");
    Receive("DODU,RMSGA,1.0,12.5,5999M," + hex + ",0,1");
    EXPECT_EQ(EurofixForm->StationList.size(), 1u);
}
