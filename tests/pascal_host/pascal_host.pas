{ A host written in Pascal with the pharmex unit, as a Pascal host
  application uses the library: its datasets are TInterfacedObjects
  (host_rows), the entry points take them as interface references, failures
  come back as EPharmexError.

    pascal_host EXAMPLES OUT

  It runs every entry point on the data of examples/ exactly as the C host
  of the tests does (tests/c_host/export_host.c), answering the dialogs with
  pharmex_dialog_answer, and writes into OUT what the C host writes (every
  table and text file, the order lines after each import, the callbacks), so
  that the two folders can be compared byte for byte. Into OUT.extra go the
  checks only a Pascal host needs: the price list handed over in the other
  forms a Pascal compiler makes values in must give the same table; host
  methods that raise end their run with their message, in a dialog and
  without; on Windows, a callback that raises a real exception, which the
  library stops at that call, and the library's own raising of a failed
  run caught by an except block; and at the end no host object is left
  alive.
  Exit status 0 when everything ran as it should. }
program pascal_host;

{$MODE DELPHI}
{$H+}
{$CODEPAGE UTF8}

uses
  Classes, SysUtils, pharmex, host_rows, test_rows;

const
  { A made-up handle of the host's main window: the library only hands it back. }
  HostWindow = $1234;

var
  Examples, OutFolder, ExtraFolder: string;
  CallbackLog: TFileStream;
  Failures: Integer = 0;

procedure Fail(const What: string);
begin
  WriteLn(ErrOutput, What);
  Inc(Failures);
end;

procedure Log(const Text: string);
begin
  WriteText(CallbackLog, RawByteString(Text) + #10);
end;

procedure OnProgress(Window: TPxWindow; Percent: Integer); stdcall;
begin
  Log(Format('  progress %d window %d', [Percent, Ord(Window = HostWindow)]));
end;

procedure OnStart(Window: TPxWindow); stdcall;
begin
  Log(Format('  start window %d', [Ord(Window = HostWindow)]));
end;

procedure OnFinish(Window: TPxWindow); stdcall;
begin
  Log(Format('  finish window %d', [Ord(Window = HostWindow)]));
end;

function InExamples(const Name: string): string;
begin
  Result := Examples + PathDelim + Name;
end;

function InOut(const Name: string): string;
begin
  Result := OutFolder + PathDelim + Name;
end;

function InExtra(const Name: string): string;
begin
  Result := ExtraFolder + PathDelim + Name;
end;

function Load(const Name: string): IDataSet;
begin
  Result := TRows.Load(InExamples(Name));
end;

{ Answers the dialog an entry point just opened with OUT/Name and a file type. }
procedure Answer(const What, Name: string; FileType: Integer);
var
  Outcome: Integer;
begin
  Outcome := pharmex_dialog_answer(InOut(Name), FileType);
  if Outcome <> 0 then
  begin
    Fail(Format('%s: the dialog answered %d: %s', [What, Outcome, pharmex_last_error]));
    pharmex_dialog_cancel;
  end;
end;

procedure RunExports;
const
  PriceNames: array[0..2] of string = ('price_dbf4', 'price_khabarovsk', 'price_unico');
var
  Suppliers, Prices, Headers, Lines: IDataSet;
  FileType: Integer;
  Name: string;
begin
  Suppliers := Load('suppliers.csv');
  Log('supplier_export');
  supplier_export(HostWindow, Suppliers, OnProgress, OnStart, OnFinish);
  Answer('supplier_export', 'supplier', 0);
  Suppliers := nil;

  Prices := Load('price_list.csv');
  for FileType := 0 to 2 do
  begin
    Log(PriceNames[FileType]);
    price_export(HostWindow, Prices, OnProgress, OnStart, OnFinish);
    Answer('price_export', PriceNames[FileType], FileType);
  end;
  Log('price_export_to_file');
  price_export_to_file(Prices, InOut('price_to_file.dbf'));
  Prices := nil;

  Headers := Load('order_headers.csv');
  Lines := Load('order_lines.csv');
  Log('order_export');
  order_export(HostWindow, Headers, Lines, OnProgress, OnStart, OnFinish);
  Answer('order_export', 'order', 0);

  Headers := Load('waybill_headers.csv');
  Lines := Load('waybill_lines.csv');
  for FileType := 0 to 5 do
  begin
    Name := Format('waybill_%d', [FileType]);
    Log(Name);
    waybill_export(HostWindow, Headers, Lines, OnProgress, OnStart, OnFinish);
    Answer('waybill_export', Name, FileType);
  end;
  for FileType := 0 to 5 do
  begin
    Name := Format('topath_%d', [FileType]);
    Log(Name);
    CreateDir(InOut(Name));
    waybill_export_ToPath(HostWindow, Headers, Lines, OnProgress, OnStart, OnFinish,
      InOut(Name) + PathDelim, FileType);
  end;
end;

procedure RunImports;
const
  Layouts: array[0..2] of string = ('dbf4', 'khabarovsk', 'unico');
var
  Prices, Lines: IDataSet;
  FileType: Integer;
begin
  Prices := Load('order_prices.csv');
  for FileType := 0 to 2 do
  begin
    Lines := Load('current_order_lines.csv');
    Log('import_' + Layouts[FileType]);
    order_import(HostWindow, Prices, Prices, Lines, OnProgress, OnStart, OnFinish);
    if pharmex_dialog_answer(InExamples('order_' + Layouts[FileType] + '.dbf'), FileType) <> 0 then
    begin
      Fail(Format('order_import %s: %s', [Layouts[FileType], pharmex_last_error]));
      pharmex_dialog_cancel;
    end;
    (Lines as TRows).Dump(InOut('import_' + Layouts[FileType] + '.txt'));
  end;
  Lines := Load('current_order_lines.csv');
  Log('order_import_from_file');
  order_import_from_file(Prices, Prices, Lines, InExamples('order_dbf4.dbf'));
  (Lines as TRows).Dump(InOut('import_from_file.txt'));
end;

{ A table's bytes without the date and time of its last update (bytes 1 to
  3 and 16 to 19 of the header). }
function TableBytes(const Path: string): RawByteString;
begin
  Result := ReadBytes(Path);
  if Length(Result) > 20 then
  begin
    FillChar(Result[2], 3, 0);
    FillChar(Result[17], 4, 0);
  end;
end;

procedure ValueForms;
begin
  price_export_to_file(TRows.Load(InExamples('price_list.csv')), InExtra('plain.dbf'));
  price_export_to_file(TTypedRows.Load(InExamples('price_list.csv')), InExtra('typed.dbf'));
  if TableBytes(InExtra('plain.dbf')) <> TableBytes(InExtra('typed.dbf')) then
    Fail('the price list in other value forms wrote another table');
end;

{ A dialog-less run whose host raises: EPharmexError with the host's message. }
procedure ExpectFailure(const What, Expected: string; Failure: TFailure; const Column: WideString);
var
  Message: string;
  Prices: IDataSet;
begin
  Message := '';
  try
    if Failure = fPost then
    begin
      Prices := Load('order_prices.csv');
      order_import_from_file(Prices, Prices,
        TFailingRows.Create(InExamples('current_order_lines.csv'), Failure, Column, Expected),
        InExamples('order_dbf4.dbf'));
    end
    else
      price_export_to_file(TFailingRows.Create(InExamples('price_list.csv'), Failure, Column,
        Expected), InExtra(What + '.dbf'));
  except
    on E: EPharmexError do
      Message := E.Message;
  end;
  if Message <> Expected then
    Fail(Format('%s: the run ended with "%s", not "%s"', [What, Message, Expected]));
end;

procedure RaisingHosts;
const
  Refused: string = 'Цена не указана';
var
  Prices: IDataSet;
  Outcome: Integer;
begin
  ExpectFailure('value_raises', Refused, fValue, 'price');
  ExpectFailure('post_raises', 'Запись заблокирована другим пользователем', fPost, '');
  ExpectFailure('not_an_exception', 'The host application reported a failure', fNotAnException,
    'art_name');

  { In a dialog the run's failure is the dialog's error box: the dialog
    stays open for another attempt. }
  Prices := TFailingRows.Create(InExamples('price_list.csv'), fValue, 'price', Refused);
  price_export(HostWindow, Prices, nil, nil, nil);
  Prices := nil; { the dialog keeps its own reference }
  Outcome := pharmex_dialog_answer(InExtra('dialog_value_raises.dbf'), 0);
  if (Outcome <> 1) or (pharmex_last_error <> Refused) then
    Fail(Format('a dialog run whose host raised answered %d: "%s"', [Outcome, pharmex_last_error]));
  if pharmex_dialog_cancel <> 0 then
    Fail('the dialog did not stay open after its failed run');
end;

{$IFDEF MSWINDOWS}
const
  Stopped: string = 'Выгрузка прервана пользователем';

var
  Unwound: Integer = 0;
  Finishes: Integer = 0;

procedure ProgressRaises(Window: TPxWindow; Percent: Integer); stdcall;
begin
  try
    raise EInOutError.Create(Stopped);
  finally
    Inc(Unwound); { runs while the library stops the exception }
  end;
end;

procedure CountFinish(Window: TPxWindow); stdcall;
begin
  Inc(Finishes);
end;

{ A dialog-less waybill export whose progress callback raises; the message
  of the failed run, as the unit raises it or, with RaiseOn, as the library
  itself raises it to a host that declares nothing of the unit's. }
function RunWhoseCallbackRaises(RaiseOn: Boolean): string;
var
  Headers, Lines: IDataSet;
begin
  Result := '';
  Headers := Load('waybill_headers.csv');
  Lines := Load('waybill_lines.csv');
  CreateDir(InExtra('callback_raises'));
  if RaiseOn and (pharmex_set_failure_mode(PX_FAILURE_RAISE) <> PX_FAILURE_RECORD) then
    Fail('the unit left the library raising');
  try
    try
      waybill_export_ToPath(0, Headers, Lines, ProgressRaises, nil, CountFinish,
        InExtra('callback_raises') + PathDelim, 0);
    except
      on E: EPharmexError do
        if not RaiseOn then
          Result := E.Message;
      on E: EExternal do
        if RaiseOn and (E.ExceptionRecord^.ExceptionCode = PX_FAILURE_EXCEPTION) then
          Result := string(UTF8Decode(PAnsiChar(E.ExceptionRecord^.ExceptionInformation[0])));
    end;
  finally
    pharmex_set_failure_mode(PX_FAILURE_RECORD);
  end;
end;

{ A callback is called by the library directly: a Pascal exception raised in
  one is stopped at that call, its finally blocks run, and the run fails
  with its message after its clean-up (finish is called). }
procedure RaisingCallbacks;
var
  Message: string;
  Raising: Boolean;
begin
  for Raising := False to True do
  begin
    Message := RunWhoseCallbackRaises(Raising);
    if Message <> Stopped then
      Fail(Format('a callback that raised (the library raising: %s) ended the run with "%s"',
        [BoolToStr(Raising, True), Message]));
  end;
  if (Unwound <> 2) or (Finishes <> 2) then
    Fail(Format('callbacks that raised: %d finally blocks, %d finish calls', [Unwound, Finishes]));
end;
{$ENDIF}

var
  Path: string;
begin
  if ParamCount <> 2 then
  begin
    WriteLn(ErrOutput, 'usage: pascal_host EXAMPLES OUT');
    Halt(2);
  end;
  Examples := ParamStr(1);
  OutFolder := ParamStr(2);
  ExtraFolder := OutFolder + '.extra';
  if not DirectoryExists(ExtraFolder) and not CreateDir(ExtraFolder) then
  begin
    WriteLn(ErrOutput, 'cannot make ', ExtraFolder);
    Halt(2);
  end;
  Path := InOut('callbacks.txt');
  CallbackLog := TFileStream.Create(Path, fmCreate);
  try
    { The same text for numbers and dates on every system. }
    if pharmex_set_regional_settings(',', 'dd.MM.yyyy') <> 0 then
      Fail('the regional settings were refused');
    try
      RunExports;
      RunImports;
      ValueForms;
      RaisingHosts;
      {$IFDEF MSWINDOWS}
      RaisingCallbacks;
      {$ENDIF}
    except
      on E: Exception do
        Fail(E.ClassName + ': ' + E.Message);
    end;
  finally
    CallbackLog.Free;
  end;
  if LiveObjects <> 0 then
    Fail(Format('%d host objects were not released', [LiveObjects]));
  if Failures = 0 then
    WriteLn('pascal host: every entry point ran (pharmex ', pharmex_version, ')');
  if Failures <> 0 then
    Halt(1);
end.
