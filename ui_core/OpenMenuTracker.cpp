#include "ui_core/OpenMenuTracker.h"

namespace ui_core
{
void OpenMenuTracker::show (juce::PopupMenu menu, const juce::PopupMenu::Options& options, std::function<void (int)> onResult)
{
    *open = true;
    menu.showMenuAsync (options, [flag = open, onResult = std::move (onResult)] (int result)
                        {
                            *flag = false;
                            if (onResult)
                                onResult (result);
                        });
}

void OpenMenuTracker::dismiss()
{
    if (! *open)
        return;
    *open = false;
    juce::PopupMenu::dismissAllActiveMenus();
}
} // namespace ui_core
