// A model file read into the window: the panels and the pages' species panels
// hold what the file holds, so the synchronisation after the load keeps it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include "app/mainform.h"
#include "tests/engine/modelfile_helpers.h"
#include "tests/support/scripted_messages.h"
#include "widgets/plot.h"
#include "widgets/senstab_widget.h"
#include "widgets/specpanel.h"

using namespace kivra;

TEST(ModelFileWindow, ALoadedModelSurvivesTheSynchronisationThroughThePanels) {
    test::ScriptedMessages msgs;
    QTemporaryDir dir;
    const std::string path = dir.filePath("rich.mdl").toStdString();
    {
        test::CountingForm rich;
        test::MakeRichForm(rich);
        rich.Model.InitConc[0][3] = 120.12722269676252;  // fitted, the boxes showing them short
        rich.Model.RFactor[3] = 0.98765432109876;
        ASSERT_TRUE(rich.SaveModelFile(path));
    }
    TMainForm form;
    form.AddPage();
    msgs.Answer(MsgResult::Yes);
    ASSERT_TRUE(form.LoadModelFile(path));
    ASSERT_TRUE(form.GetModel(true));

    const TModelData& m = form.Model;
    EXPECT_EQ(m.NumSpecies, 4);
    EXPECT_EQ(m.SpecName[1], "B lig");
    EXPECT_EQ(m.InitConc[0][2], 1e-9);
    EXPECT_EQ(m.AnalyteInj[0][0], 2);
    EXPECT_EQ(m.Kfwd[0], 1234567);  // every digit in the file
    EXPECT_EQ(m.KfwdLink[1], -2);
    EXPECT_TRUE(m.FitKrev[1]);
    EXPECT_TRUE(m.MassTransport[1]);
    EXPECT_EQ(m.RFactor[1], 2.5);
    ASSERT_EQ(form.PageCount(), 3);
    EXPECT_EQ(m.InitConc[0][1], 100);  // local species, set 1 and set 2
    EXPECT_EQ(m.InitConc[1][1], 250);
    EXPECT_TRUE(m.Response[1][1]);
    EXPECT_EQ(form.Page(0).StockConc[1], 10);
    EXPECT_EQ(static_cast<TSensTab&>(form.Page(0)).windowTitle().toStdString(), "run1.txt");
    // A page's own plot has no title of its own until a deletion renumbers it.
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(form.SensPage(i)->PagePlot->GetShowTitle()) << i;
    EXPECT_TRUE(form.Results.Shown);

    // Typed texts show as typed, fitted values as the fit showed them (every
    // digit kept behind). Save offers the model's own file.
    EXPECT_EQ(form.SpecPanel->ConcBox[2]->text(), "1e-9 M");
    EXPECT_EQ(form.SpecPanel->ConcBox[3]->text(), "120.1");
    EXPECT_EQ(form.SpecPanel->RFactorBox[3]->text(), "0.9877");
    QString offered;
    QTimer::singleShot(0, [&offered] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog) offered = dialog->selectedFiles().value(0), dialog->reject();
    });
    form.FileSave();
    EXPECT_EQ(offered.toStdString(), path);
}
