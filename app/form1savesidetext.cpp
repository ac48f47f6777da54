#include "app/errorreport.h"
#include "app/form1.h"
#include "app/reentryguard.h"
#include "app/steprunner.h"
#include "export/sidetext.h"
#include "export/textfile.h"
#include "platform/savedialog.h"

void Form1::PushButton2_Click()
{
    const ReentryGuard guard(m_exportRunning);
    if (!guard.entered())
        return;

    // The file name is left as it is: the dialog offers the name chosen last in either
    // export.
    SaveDialog &dialog = CommonDialog1();
    QString text;
    QStringList lines;
    StepRunner steps(messageBox(), ErrorLocation::PushButton2_Click);
    steps.run(106, [&] { dialog.setDialogTitle(tr("Save")); });
    steps.run(108, [&] { dialog.setFilter(tr("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|")); });
    steps.run(110, [&] { dialog.showSave(); });
    steps.run(112, [&] {
        if (dialog.fileName().isEmpty())
            steps.end();
    });
    steps.run(114, [&] { text.clear(); });
    // Before any generation with subfolders there are no lines, and the file is written
    // empty, so the user still gets the file that was asked for.
    steps.run(116, [&] { lines = SideTextLines().value_or(QStringList()); });
    // Step 118 is the loop's body, each line with its CR LF; step 120, the loop's end, has
    // nothing that can fail.
    steps.run(118, [&] { text += sideTextFileText(lines); });
    steps.run(122, [&] { WriteTextFile(text, dialog.fileName()); });
}
