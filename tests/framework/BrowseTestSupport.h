#pragma once
// A services list over the real ServicesToCheck file, built the way a procedure builds its browse,
// with the small service form of the form tests as its update procedure.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FormTestSupport.h"
#include "framework/browse/BrowseManager.h"
#include "framework/browse/BrowseQueue.h"

namespace tarn::framework::test {

enum BrowseControl : int { BC_Insert = 1, BC_Change, BC_Delete, BC_List, BC_Select };

// Ten rows below one header line.
inline ui::WindowDef BrowseWindowDef() {
    ui::WindowDef def = MakeWindowDef("Services", ui::Rect{0, 0, 300, 150},
                                      {{ui::KindButton, "?Insert", "&Insert"},
                                       {ui::KindButton, "?Change", "&Change"},
                                       {ui::KindButton, "?Delete", "&Delete"},
                                       {ui::KindList, "?List", ""},
                                       {ui::KindButton, "?Select", "&Select"}});
    def.controls[1].flags = ui::FlagDefault;
    def.controls[3].rect = ui::Rect{2, 20, 290, 88};
    def.controls[3].flags = ui::FlagVScroll;
    def.controls[3].format = "80L(2)|M~Server~@s127@80L(2)|M~Service~@s127@";
    return def;
}

class BrowseWindow : public ServicesWindow {
  public:
    ui::Window window{BrowseWindowDef()};
    BrowseQueue queue;
    BrowseManager browse;
    FormActions formActions;
    int formRuns = 0;
    int32_t toolControl = 0;  // a Toolbox button added to the window, 0 none
    // The sort order's step object and locator (none when null).
    std::unique_ptr<StepObject> thumb;
    std::unique_ptr<Locator> locator;
    // Runs when an update button is pressed, before the browse acts on it.
    std::function<void()> beforeAccepted;
    // Runs when the update form is called, before it opens.
    std::function<void()> beforeForm;

    Level Initialise() override {
        BeginProcedure(BC_List);
        OpenServices();
        view_ = storage::MakeView(records::ServicesToCheckFile());
        browse.Initialise(BC_List, *view_, queue, *data::Relate_ServicesToCheck, *this);
        browse.InsertControl = BC_Insert;
        browse.ChangeControl = BC_Change;
        browse.DeleteControl = BC_Delete;
        browse.SelectControl = BC_Select;
        browse.HideSelect = 1;
        browse.ToolControl = toolControl;
        browse.UsePopup = 1;
        browse.EditViaPopup = 1;
        OpenWindow(window);
        browse.AddSortOrder(std::move(thumb), records::SERCHK_KeyServiceName);
        auto& rec = records::ServicesToCheck();
        if (locator) {
            locator->Init(0, data::TextVariable(rec.ServerName, 128), true, browse);
            browse.AddLocator(std::move(locator));
        }
        browse.AddField(data::TextVariable(rec.ServerName, 128), queue.AddText(128));
        browse.AddField(data::TextVariable(rec.ServiceName, 128), queue.AddText(128));
        // The record id through its declaration: a reference to a packed int may be misaligned.
        browse.AddField(data::RecordField(records::ServicesToCheckDesc().fields[0],
                                          reinterpret_cast<uint8_t*>(&rec)),
                        queue.AddNumber());
        browse.AskProcedure = 1;
        RegisterKeys();
        return LevelQuiet;
    }

    Level HandleEvent() override {
        const int c = ui::Field();
        if (beforeAccepted && ui::Event() == ui::EventAccepted &&
            (c == BC_Insert || c == BC_Change || c == BC_Delete))
            beforeAccepted();
        return WindowManager::HandleEvent();
    }

    uint8_t RunProcedure(int32_t, uint8_t request) override {
        ++formRuns;
        if (beforeForm) beforeForm();
        SharedRequest() = request;
        ServiceForm form(formActions);
        return form.Run();
    }

  private:
    std::unique_ptr<storage::View> view_;
};

// n services on servers "S0001", "S0002", ... (one service each), so key order is id order.
inline void AddNumberedServices(int n) {
    std::vector<std::pair<std::string, std::string>> services;
    char server[16];
    for (int i = 1; i <= n; ++i) {
        std::snprintf(server, sizeof server, "S%04d", i);
        services.emplace_back(server, "svc");
    }
    AddServices(services);
}

inline void DeleteServiceElsewhere(int32_t id) {
    OnOtherStation([&] {
        storage::RecordFile& f = records::ServicesToCheckFile();
        ASSERT_EQ(f.Open(0x42), 0);
        records::ServicesToCheck().RecordID = id;
        ASSERT_EQ(f.GetByKey(records::SERCHK_KeyRecID), 0);
        EXPECT_EQ(f.Delete(), 0);
        f.Close();
    });
}

// The checker's stamp: a new last-checked date, nothing else.
inline void StampServiceElsewhere(int32_t id) {
    ChangeRecordElsewhere(id, [](records::ServicesToCheckRecord& rec) { rec.LastChecked += 1; });
}

class BrowseTest : public FormTest {
  protected:
    // The servers shown by the list in a recorded view.
    static std::vector<std::string> Servers(const ui::WindowView& view) {
        std::vector<std::string> out;
        for (const auto& row : view.Control(BC_List)->rows) out.push_back(row.at(0));
        return out;
    }
    static int Selected(const ui::WindowView& view) { return view.Control(BC_List)->selected; }
    // The server of the highlighted row.
    static std::string HighlightedServer(const ui::WindowView& view) {
        const ui::ControlView* list = view.Control(BC_List);
        if (list->selected < 1 || list->selected > static_cast<int>(list->rows.size())) return "";
        return list->rows[list->selected - 1].at(0);
    }
    const ui::WindowView& Before(size_t step) {
        const ui::WindowView* v = nullptr;
        for (const ui::WindowView& w : ui.Views())
            if (w.step == step && w.title == "Services") v = &w;
        EXPECT_NE(v, nullptr) << "no view of the list before step " << step;
        static const ui::WindowView none;
        return v ? *v : none;
    }
};

}  // namespace tarn::framework::test
