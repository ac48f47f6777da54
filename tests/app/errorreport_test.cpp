#include "app/errorreport.h"
#include "app/makerinfo.h"
#include "app/steprunner.h"
#include "fakes.h"
#include "platform/runtimeerror.h"

#include <gtest/gtest.h>
#include <new>

TEST(ErrorReport, TextIsAssembledByteForByte)
{
    const QString text = ErrorReportText("Cannot save the image. GDI+ Error:2",
                                         ErrorLocation::PushButton1_Click, 122);
    EXPECT_EQ(text, "Cannot save the image. GDI+ Error:2\r\n"
                    "in Quorvane7/29/2014.Form1.PushButton1_Click at line 122\r\r"
                    "Please email screenshot of this message to " +
                        SupportAddress);
    EXPECT_TRUE(ErrorLocation::PushButton2_Click.endsWith("PushButton2_Click "));
    EXPECT_TRUE(ErrorLocation::PushButton3_Click.endsWith("PushButton3_Click "));
}

TEST(ErrorReport, BoxIsAWarningTitledApplicationError)
{
    RecordingMessageBox box;
    ErrorReportBox(box, "Path not found", ErrorLocation::PushButton2_Click, 122);
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].title, "Application Error");
    EXPECT_EQ(box.boxes[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(box.boxes[0].text.startsWith("Path not found\r\nin Quorvane7/29/2014.Form1."
                                             "PushButton2_Click at line 122\r\r"));
}

TEST(ErrorReport, DisplayTextTurnsCarriageReturnsIntoLineBreaks)
{
    EXPECT_EQ(MessageBoxDisplayText("a\r\nb at line 2\r\rPlease"), "a\nb at line 2\n\nPlease");
}

TEST(StepRunner, EveryFailingStepShowsItsOwnBoxAndTheHandlerGoesOn)
{
    RecordingMessageBox box;
    StepRunner steps(box, ErrorLocation::PushButton3_Click);
    QStringList ran;
    steps.run(106, [&] { ran << "106"; });
    steps.run(108, [&] {
        throw RuntimeError(RuntimeErrorNumber::PathNotFound, "Path not found");
        ran << "108 rest"; // abandoned with its step
    });
    steps.run(110, [&] { throw std::runtime_error("disk full"); });
    steps.run(112, [&] { ran << "112"; });
    steps.run(114, [&] { throw std::bad_alloc(); });

    EXPECT_EQ(ran, QStringList({"106", "112"}));
    ASSERT_EQ(box.boxes.size(), 3u);
    EXPECT_TRUE(box.boxes[2].text.startsWith("out of memory\r\n"))
        << box.boxes[2].text.toStdString();
    EXPECT_TRUE(box.boxes[0].text.startsWith("Path not found\r\n"));
    EXPECT_TRUE(box.boxes[0].text.contains("PushButton3_Click at line 108\r\r"));
    EXPECT_TRUE(box.boxes[1].text.startsWith("disk full\r\n"));
    EXPECT_TRUE(box.boxes[1].text.contains("at line 110\r\r"));
}

TEST(StepRunner, AStepCanEndTheHandler)
{
    RecordingMessageBox box;
    StepRunner steps(box, ErrorLocation::PushButton2_Click);
    QStringList ran;
    EXPECT_TRUE(steps.run(110, [&] { ran << "110"; }));
    EXPECT_TRUE(steps.run(112, [&] { steps.end(); }));
    EXPECT_FALSE(steps.run(114, [&] { ran << "114"; }));
    EXPECT_FALSE(steps.run(116, [&] { throw std::runtime_error("never"); }));
    EXPECT_EQ(ran, QStringList({"110"}));
    EXPECT_TRUE(box.boxes.empty());
}

TEST(StepRunner, AFailureOfTheBoxItselfGoesToTheCaller)
{
    class FailingBox : public MessageBox {
    public:
        void show(const QString &, const QString &, Icon) override
        {
            throw std::runtime_error("no display");
        }
    } failingBox;
    StepRunner steps(failingBox, ErrorLocation::PushButton1_Click);
    EXPECT_THROW(steps.run(116, [] { throw std::runtime_error("clipboard"); }), std::runtime_error);
}
