#include "http/LivePage.h"

namespace http {

std::string livePage() {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Quorel</title></head>"
           "<body></body></html>\n";
}

} // namespace http
