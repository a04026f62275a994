#include "system/modStuff.h"

namespace quillorn::system {

void CheckAssociation(WindowServices& services) {
    CheckAssociation(services, DefaultAssociationSetup());
}

void AssociateFiles(WindowServices& services) {
    AssociateFiles(services, DefaultAssociationSetup());
}

} // namespace quillorn::system
