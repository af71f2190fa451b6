#include "print_graph.h"

namespace tellora {

PrintGraph::PrintGraph()
    : Form(FormName, forms::BorderStyle::FixedDialog)
{
    SetCaption("PrintGraph");
    SetClientSize(11790, 6855);
    Layout({
        { &Picture1, "Picture1", "", { 0, 0, 6735, 4095 } },
    });
}

} // namespace tellora
