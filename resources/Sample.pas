unit Sample;

{ A small unit to type into: a counter with a step and a reset. }

interface

type
  TCounter = class
  private
    FValue: Integer;
    FStep: Integer;
  public
    constructor Create(AStep: Integer);
    procedure Next;
    procedure Reset;
    property Value: Integer read FValue;
  end;

implementation

constructor TCounter.Create(AStep: Integer);
begin
  inherited Create;
  FStep := AStep;
end;

procedure TCounter.Next;
begin
  Inc(FValue, FStep);
end;

procedure TCounter.Reset;
begin
  FValue := 0;
end;

end.
