#include "panel/WindowPlacement.h"

#include <limits>

std::vector<DisplayArea> currentDisplayAreas()
{
    std::vector<DisplayArea> areas;
    for (const auto& display : juce::Desktop::getInstance().getDisplays().displays)
        areas.push_back({display.totalArea, display.userArea});
    return areas;
}

bool liesOnDisplays(juce::Rectangle<int> window, const std::vector<DisplayArea>& displays)
{
    juce::RectangleList<int> uncovered(window);
    for (const auto& display : displays)
        uncovered.subtract(display.total);
    return uncovered.isEmpty();
}

juce::Rectangle<int> placedOnNearestDisplay(juce::Rectangle<int> window,
                                            const std::vector<DisplayArea>& displays)
{
    const DisplayArea* nearest = nullptr;
    long long largestOverlap = 0;
    long long smallestDistance = std::numeric_limits<long long>::max();
    for (const auto& display : displays)
    {
        const auto overlap = display.total.getIntersection(window);
        const long long overlapArea = (long long)overlap.getWidth() * overlap.getHeight();
        const auto centre = window.getCentre();
        const auto closest = display.user.getConstrainedPoint(centre);
        const long long dx = closest.x - centre.x, dy = closest.y - centre.y;
        const long long distance = dx * dx + dy * dy;
        if (overlapArea > largestOverlap ||
            (largestOverlap == 0 && overlapArea == 0 && distance < smallestDistance))
        {
            nearest = &display;
            largestOverlap = overlapArea;
            smallestDistance = distance;
        }
    }
    if (nearest == nullptr)
        return window;

    const auto& area = nearest->user;
    const int x =
        juce::jmax(area.getX(), juce::jmin(window.getX(), area.getRight() - window.getWidth()));
    const int y =
        juce::jmax(area.getY(), juce::jmin(window.getY(), area.getBottom() - window.getHeight()));
    return window.withPosition(x, y);
}
