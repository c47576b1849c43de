#pragma once

#include <ui/TableView.hpp>
#include <ui/ViewController.hpp>

namespace ui {

// A controller whose view is a table, and which is that table's data source and
// delegate: subclasses answer the rows. The table loads its data the first time it
// is laid out or asked; each time the view is about to appear the selected row is
// deselected, unless clearsSelectionOnViewWillAppear is off. Main thread only.
class TableViewController : public ViewController,
                            public TableViewDataSource,
                            public TableViewDelegate {
public:
    // initWithStyle:.
    static base::Ref<TableViewController> create(TableViewStyle style = TableViewStyle::Plain);

    // The view as a table; null when the view was replaced by one that is not.
    TableView* tableView();
    void setTableView(base::Ref<TableView> tableView);
    bool clearsSelectionOnViewWillAppear() const { return clearsSelection_; }
    void setClearsSelectionOnViewWillAppear(bool clears) { clearsSelection_ = clears; }

    void loadView() override;
    void viewWillAppear(bool animated) override;

    // No rows until a subclass answers.
    int numberOfRowsInSection(TableView&, int) override { return 0; }
    base::Ref<TableViewCell> cellForRowAtIndexPath(
        TableView& tableView, IndexPath indexPath) override;

private:
    TableViewStyle style_;
    bool clearsSelection_ {true};

protected:
    friend base::Factory;

    explicit TableViewController(TableViewStyle style = TableViewStyle::Plain);
};

}
