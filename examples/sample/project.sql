-- The sample publication's project database (rows only). Load it into a new
-- project database with:  vellumdesk db init project.db project.sql
-- The sample script puts the output folder in place of @OUT@ first.
BEGIN;
-- Three hypergraphics of one source master; main document group 10, its
-- pop-up topics group 11, compile profile 1, folder rules group 1.
INSERT INTO Sources (Idx, SourcesStammIdx, MainDocHeadLinesIdx, CompileStammIdx, DirectoryListIdx) VALUES (1, 1, 10, 1, 1);
INSERT INTO Sources (Idx, SourcesStammIdx, MainDocHeadLinesIdx, CompileStammIdx, DirectoryListIdx) VALUES (2, 1, 10, 1, 1);
INSERT INTO Sources (Idx, SourcesStammIdx, MainDocHeadLinesIdx, CompileStammIdx, DirectoryListIdx) VALUES (3, 1, 10, 1, 1);
INSERT INTO SourcesStamm (Idx, DestinationPath, Destination) VALUES (1, '@OUT@', 1);
-- Pictures into images/, image maps into maps/, pages stay in the root.
INSERT INTO DirectoryList (Idx, DestinationIdx, FileMask, Directory) VALUES (1, 1, '*.gif', '/images/');
INSERT INTO DirectoryList (Idx, DestinationIdx, FileMask, Directory) VALUES (1, 1, '*.map', 'maps/');
INSERT INTO CompileStamm (Idx, Extension, StartPage) VALUES (1, 'html', 'index.html');
-- The main document: the contents outline, one heading a page.
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 1, 'Welcome to Ledgerline', 1, 1);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 2, 'What''s new in this release', 2, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 3, 'The main window', 3, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 4, 'Keyboard shortcuts', 4, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 5, 'Getting started', 5, 1);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 6, 'Installing Ledgerline', 6, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 7, 'Creating your first ledger', 7, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 8, 'Choosing a chart of accounts', 8, 3);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 9, 'Entering opening balances', 9, 3);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 10, 'Importing data from a spreadsheet', 10, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 11, 'Everyday tasks', 11, 1);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 12, 'Recording a payment', 12, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 13, 'Issuing an invoice', 13, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 14, 'Reconciling a bank statement', 14, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 15, 'Matching entries automatically', 15, 3);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 16, 'Clearing differences by hand', 16, 3);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 17, 'Printing reports', 17, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 18, 'Report gallery', 18, 3);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 19, 'Reference', 19, 1);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 20, 'Menu commands', 20, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 21, 'Settings and preferences', 21, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 22, 'Glossary', 22, 2);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (10, 23, 'Troubleshooting', 23, 1);
-- Pop-up topics of the main document.
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (11, 1, 'Account', 101, 1);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (11, 2, 'Ledger', 102, 1);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (11, 3, 'Reconciliation', 103, 1);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (11, 4, 'Opening balance', 104, 1);
INSERT INTO HeadLines (Idx, Position, Name, Number, Deep) VALUES (11, 5, 'Invoice', 105, 1);
COMMIT;
