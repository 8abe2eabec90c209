#include "store/deletion_notice.h"

#include "store/connection.h"
#include "store/statement.h"

DeletionNotice::DeletionNotice(Connection &db)
{
    Statement layout(db.Handle(),
                     QStringLiteral("select 1 from sqlite_master where type = 'view' and name = 's__announce'"));
    if (layout.Step())
        announce_ = std::make_unique<Statement>(db.Handle(),
                                                QStringLiteral("insert into s__announce (COMPUTER_ID, FIRST_ID, LAST_ID) values (?, ?, ?)"));
}

DeletionNotice::~DeletionNotice() = default;

void DeletionNotice::Announce(qlonglong computerId, qlonglong firstBlockId, qlonglong lastBlockId)
{
    if (!announce_)
        return;
    announce_->Reset();
    announce_->Bind(1, computerId);
    announce_->Bind(2, firstBlockId);
    announce_->Bind(3, lastBlockId);
    announce_->Step();
}
