#include "panel/TavrinBorderBoundsConstrainer.h"

void BorderBoundsConstrainer::checkBounds(juce::Rectangle<int>& bounds,
                                          const juce::Rectangle<int>& previousBounds,
                                          const juce::Rectangle<int>& limits, bool isStretchingTop,
                                          bool isStretchingLeft, bool isStretchingBottom,
                                          bool isStretchingRight)
{
    const int proposedX = bounds.getX();
    const int proposedY = bounds.getY();

    auto content = frameBorder.subtractedFrom(bounds);
    const int extra = juce::jmin(extraTop, content.getHeight());
    content = {content.getX(), content.getY() + extra, content.getWidth(),
               content.getHeight() - extra};

    ComponentBoundsConstrainer::checkBounds(content, previousBounds, limits, isStretchingTop,
                                            isStretchingLeft, isStretchingBottom,
                                            isStretchingRight);

    const int width = content.getWidth() + frameBorder.getLeftAndRight();
    const int height = content.getHeight() + extraTop + frameBorder.getTopAndBottom();

    const bool resizing =
        isStretchingTop || isStretchingLeft || isStretchingBottom || isStretchingRight;
    if (resizing)
    {
        const int x = previousBounds.getX() + previousBounds.getWidth() / 2 - width / 2;
        const int y = previousBounds.getY() + previousBounds.getHeight() / 2 - height / 2;
        bounds.setBounds(x, y, width, height);
    }
    else
    {
        bounds.setBounds(proposedX, proposedY, width, height);
    }
}

void installMainWindowConstrainer(juce::ResizableWindow& window,
                                  BorderBoundsConstrainer& constrainer)
{
    window.setConstrainer(&constrainer);
    constrainer.extraTop = 0;
    // On X the window's rectangle is its content's own: the window manager's
    // frame, which the peer reports once it knows it, lies outside it.
    constrainer.frameBorder = {};
    constrainer.setFixedAspectRatio(320.0 / 290.0);
    constrainer.setSizeLimits(219, 198, 640, 580);
}
