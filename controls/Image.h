#pragma once
#include "Control.h"

namespace qm {

// A picture box; the picture itself is the front end's asset, the model holds
// only which one and whether it shows.
class Image : public Control {
public:
    Image(std::string name, Twips geometry, std::string asset) : Control(std::move(name), geometry), asset_(std::move(asset)) {}
    const std::string& Asset() const { return asset_; }

private:
    std::string asset_;
};

} // namespace qm
