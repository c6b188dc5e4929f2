#include "editing/category_tree_host.h"

#include "shared/tree_nodes.h"

void CategoryTreeHost::showFirstNodes()
{
    if (QTreeWidget *t = tree()) {
        TreeNodes *nodes = TreeNodes::of(t);
        for (const int index : {1, 2})
            if (TreeNode *node = nodes->Item(index))
                node->EnsureVisible();
    }
}
