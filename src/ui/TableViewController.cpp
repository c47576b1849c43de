#include <ui/TableViewController.hpp>
#include <ui/Window.hpp>

namespace ui {

base::Ref<TableViewController> TableViewController::create(TableViewStyle style) {
    return base::make<TableViewController>(style);
}

TableViewController::TableViewController(TableViewStyle style)
    : style_(style) {
}

TableView* TableViewController::tableView() {
    return dynamic_cast<TableView*>(view());
}

void TableViewController::setTableView(base::Ref<TableView> tableView) {
    setView(std::move(tableView));
}

void TableViewController::loadView() {
    ViewController::loadView();
    auto table = TableView::create(view()->frame(), style_);
    table->setDataSource(this);
    table->setDelegate(this);
    setView(table);
}

void TableViewController::viewWillAppear(bool animated) {
    auto table = tableView();
    if (!clearsSelection_ || !table)
        return;
    if (auto selected = table->indexPathForSelectedRow())
        table->deselectRowAtIndexPath(*selected, animated);
}

base::Ref<TableViewCell> TableViewController::cellForRowAtIndexPath(TableView&, IndexPath) {
    return TableViewCell::create(TableViewCellStyle::Default);
}

}
